#pragma once
// The sticky-topic bootstrap: the text of the sticky topics, saved by the operator's side and
// packed in a folder of this newcomer's own, goes to the newcomer's file server as one file
// block. A newcomer whose file server cannot be reached simply gets no text. The folder is
// removed afterwards in every case, so overlapping bootstraps never share or leave files.
//
// Threads: runs on a task thread of its own (bootstrap_tasks.h).

#include <stop_token>
#include <string_view>

#include "server/bootstrap_tasks.h"

namespace talvoro::server {

// The sender name of a pack's file header; clients take such a pack only from their server.
inline constexpr std::string_view kTopicPackSender = "[TC]";

// Packs and sends the sticky topics of `request`. Returns early when `stop` is requested.
void RunStickyTopics(const StickyTopicsRequest& request, const BootstrapConfig& config,
                     BootstrapPort& port, const std::stop_token& stop);

}  // namespace talvoro::server
