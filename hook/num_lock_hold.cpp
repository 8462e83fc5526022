#include "hook/num_lock_hold.h"

#include "hook/rule_actions.h"
#include "platform/win_constants.h"

using namespace win;

namespace {
// The Num Lock key reports the extended bit, as a real one does.
constexpr std::uint16_t NumLockKey = ExtendedKeyCodeBit | VK_NUMLOCK;
}  // namespace

TNumLockHold HoldNumLockOn(THookProcess& process, const TKeyEvent& event) {
    bool firstPress = !(event.KeyData & (PreviousStateBit | TransitionBit));
    // A tap still waiting for its release: that release went to another
    // program when the focus moved. Typed now, it would turn Num Lock off.
    if (firstPress) process.NumLockTapDue = false;
    const TKeyFlags flags = process.KeyFlags;
    bool altGrRule = flags.Contains(kfAltGr);
    bool lockRule = !flags.ContainsAny(CtrlAltMask) && !flags.Contains(kfShift);
    if (!process.IsWinNT || process.IsWine || !firstPress || !(altGrRule || lockRule)) {
        return TNumLockHold::None;
    }
    TOptionsRegistry& options = process.OptionsRegistry;
    if (options.ReadOption(opEnabled) == 0 || (lockRule && options.ReadOption(opNumLockLock) == 0)) {
        return TNumLockHold::None;
    }
    if (process.KeyFlags.Contains(kfNumLock)) return TNumLockHold::Kept;
    process.NumLockTapDue = true;
    SetKeyFlag(process.KeyFlags, kfNumLock, true);
    return TNumLockHold::Tapped;
}

bool TypeDueNumLockTap(THookProcess& process, TKeyActions& actions) {
    if (!process.NumLockTapDue) return false;
    process.NumLockTapDue = false;
    actions.Key(NumLockKey, true);
    actions.Key(NumLockKey, false);
    return true;
}

// Without the press the tap would turn the thread's Num Lock off.
void HeldNumLockSwallowed(THookProcess& process, TNumLockHold hold) {
    if (hold == TNumLockHold::None) return;
    SetKeyToggled(process, VK_NUMLOCK, hold == TNumLockHold::Kept);
}
