#pragma once

#include "Orca/OrcaCommandRunning.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/Json.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel {

// Asks Orca's command-line tool to bring the pane of a task's session to the front.
struct OrcaNavigator {
    using IndexSource = std::function<OrcaSessionIndex()>;

    static constexpr std::uint64_t replyLimit = 4'000'000;

    std::shared_ptr<const OrcaCommandRunning> runner;

    explicit OrcaNavigator(std::shared_ptr<const OrcaCommandRunning> runner) : runner(std::move(runner)) {}

    // Finds the task's session in the index, lists Orca's terminals, switches to the session's one and
    // checks the confirmation. A stale terminal handle reloads the index and tries once more.
    // Throws OrcaNavigationError; errors of the index, the runner and the JSON parser pass through.
    void open(std::string_view taskID, const std::filesystem::path& executable,
              const IndexSource& index) const;

    // Loads the index afresh from OrcaSessionIndex::root() at the time `now` tells, on every call.
    static IndexSource freshIndex(std::function<Date()> now);

    // The "result" object of a reply envelope, valid until the parser's next parse. Throws
    // JsonParseError for a reply that is not JSON and OrcaNavigationError otherwise.
    static simdjson::dom::object result(std::string_view reply, JsonParser& parser);

    // The handle of the one connected local terminal that is the reference's pane, from the reply
    // of the list command.
    static std::string resolve(std::string_view reply, const OrcaSessionReference& reference);
};

} // namespace quorvel
