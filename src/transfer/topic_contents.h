#pragma once
// Unpacking a received pack of sticky-topic contents into memory, one rich text per topic view,
// for the GUI thread to load into the views. A pack is taken whole or not at all: a bad entry, or
// entries that do not match the names line for line, refuse it.
//
// Thread: any thread (the file server's).

#include <string>
#include <string_view>
#include <vector>

#include "transfer/topic_pack.h"
#include "transfer/transfer_events.h"

namespace talvoro::transfer {

struct UnpackedTopics {
    std::vector<TopicContent> contents;  // in pack order; empty when refused
    std::string fault;                   // why the pack was refused; empty when it was sound
};

// Unpacks the pack at `packPath`, whose entries are named by the lines of `names`, passing each
// entry through `scratchDir` (ending in "/", owned by the caller; left empty again).
UnpackedTopics UnpackTopicContents(const std::string& packPath, std::string_view names,
                                   const std::string& scratchDir);

}  // namespace talvoro::transfer
