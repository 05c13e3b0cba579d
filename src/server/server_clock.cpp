#include "server/server_clock.h"

#include "app/date_time.h"

namespace talvoro::server {

std::int32_t SystemClock::DateValue() const {
    return app::NowDateValue();
}

}  // namespace talvoro::server
