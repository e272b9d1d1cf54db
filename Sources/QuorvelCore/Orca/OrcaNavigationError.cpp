#include "Orca/OrcaNavigationError.h"

namespace quorvel {

const char* OrcaNavigationError::what() const noexcept {
    switch (case_) {
    case Case::failed:
        return "Orca could not select the conversation.";
    case Case::unavailable:
        return "Orca could not be reached.";
    case Case::invalidResponse:
        return "This Orca version returned an unsupported response.";
    case Case::ambiguous:
        return "More than one Orca pane matches this conversation.";
    case Case::missingSession:
        return "The original Orca tab is closed or its session information is unavailable.";
    case Case::timedOut:
        return "Orca took too long to respond.";
    case Case::outputLimit:
        return "Orca returned more session information than Quorvel can process.";
    }
    return "Orca could not be reached.";
}

} // namespace quorvel
