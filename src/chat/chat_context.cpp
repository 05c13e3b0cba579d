#include "chat/chat_context.h"

#include <utility>

#include "app/date_time.h"

namespace talvoro::chat {

ChatContext::ChatContext(app::ProcessState& processState, ViewPort& viewPort,
                         net::ServerLink& serverLink, app::EventLog* eventLog, DateClock dateClock,
                         ChatHooks chatHooks)
    : state(processState),
      port(viewPort),
      link(serverLink),
      log(eventLog),
      clock(dateClock ? std::move(dateClock) : DateClock(app::NowDateValue)),
      hooks(std::move(chatHooks)),
      topics(processState.settings.IsPrivateVisible != 0, clock()),
      text(viewPort) {
    const app::Settings& settings = processState.settings;
    own.name = settings.UserName;
    own.color = settings.Color;
    own.font = settings.Font;
    own.fontSize = settings.FontSize;
}

std::string ChatContext::TimeText() const {
    return app::FormatDate(clock(), "%hh:%ii:%ss");
}

}  // namespace talvoro::chat
