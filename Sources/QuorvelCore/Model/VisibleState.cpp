#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"

namespace quorvel {
namespace {

constexpr double allowedClockSkew = 60;
constexpr double staleAfter = 300;

} // namespace

LightState TaskStatus::visibleState(Date now, const TaskReadState& readState) const {
    double age = now - updatedAt;
    if (!(age >= -allowedClockSkew))
        return LightState::unknown;
    switch (state) {
    case LightState::done:
    case LightState::unread:
        return readState.hasRead(*this) ? LightState::done : LightState::unread;
    case LightState::failed:
        return LightState::failed;
    case LightState::waiting:
        if (confirmedAttentionPending == true)
            return LightState::waiting;
        break;
    default:
        break;
    }
    return age > staleAfter ? LightState::unknown : state;
}

} // namespace quorvel
