#include "Model/OrcaSessionReference.h"

#include "Support/Json.h"
#include "Support/Uuid.h"

namespace quorvel {

std::string OrcaSessionReference::taskID() const {
    return provider + "-" + Uuid::lowercased(sessionID);
}

nlohmann::json OrcaSessionReference::toJson() const {
    nlohmann::json object = {{"provider", provider},     {"sessionID", sessionID},
                             {"tabID", tabID},           {"leafID", leafID},
                             {"worktreeID", worktreeID}, {"observedAt", observedAt.seconds}};
    if (transcriptPath)
        object["transcriptPath"] = *transcriptPath;
    return object;
}

OrcaSessionReference OrcaSessionReference::fromJson(simdjson::dom::object object) {
    using namespace JsonValue;
    OrcaSessionReference reference;
    reference.provider = requiredString(object, "provider");
    reference.sessionID = requiredString(object, "sessionID");
    reference.tabID = requiredString(object, "tabID");
    reference.leafID = requiredString(object, "leafID");
    reference.worktreeID = requiredString(object, "worktreeID");
    reference.observedAt = Date{requiredNumber(object, "observedAt")};
    if (auto path = optionalString(object, "transcriptPath"))
        reference.transcriptPath = std::string(*path);
    return reference;
}

} // namespace quorvel
