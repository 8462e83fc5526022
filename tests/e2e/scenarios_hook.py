"""The hook library installed by a stand-in for the tray program, seen from
an application window: what passes, what the control window is asked."""
from harness import check, scenario

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"


def beep_setting(session, data):
    session.import_registry(f"[{SETTINGS}]\n\"Piepsen bei Umschaltungen\"={data}\n")


def sounds(host):
    return [int(line.split()[1]) for line in host.lines() if line.startswith("PLAYSOUND")]


@scenario
def letters_pass_unchanged(session):
    session.use_keymap("us")
    host = session.start_host()
    window = session.start_window()
    session.type("Hello, world 42")
    window.wait_for(lambda lines: window.characters() == "Hello, world 42", "the typed text")
    check(any(line == "GETHOOK other-thread" for line in host.lines()),
          "the hook in the probe's process asked the control window for its handle")


@scenario
def caps_lock_requests_sounds(session):
    session.use_keymap("us")
    beep_setting(session, "hex:01")
    host = session.start_host()
    session.start_window()
    session.keys("Caps_Lock")
    host.wait_for(lambda lines: sounds(host) == [3, 1], "Caps Lock on: 3 then 1")
    session.keys("Caps_Lock")
    host.wait_for(lambda lines: sounds(host) == [3, 1, 3, 2], "Caps Lock off: 3 then 2")


@scenario
def caps_lock_silent_without_setting(session):
    session.use_keymap("us")
    beep_setting(session, "hex:00")
    host = session.start_host()
    window = session.start_window()
    session.keys("Caps_Lock", "Caps_Lock", "a")
    window.wait_for(lambda lines: ("KEYUP", 0x41) in window.key_messages(), "the last key")
    check(sounds(host) == [], f"no sound requested, got {sounds(host)}")


@scenario
def wrongly_typed_setting_never_stops_a_key(session):
    session.use_keymap("us")
    beep_setting(session, "dword:00000001")
    host = session.start_host()
    window = session.start_window()
    session.keys("Caps_Lock", "Caps_Lock", "b")
    window.wait_for(lambda lines: ("KEYUP", 0x42) in window.key_messages(), "the last key")
    presses = [key for message, key in window.key_messages() if message == "KEYDOWN"]
    check(presses == [0x14, 0x14, 0x42], f"Caps Lock reached the probe twice, got {presses}")
    check(sounds(host) == [], "nothing requested")



@scenario
def num_lock_held_on_causes_no_further_toggles(session):
    # The X server owns Num Lock under Wine and, at each key, turns back a
    # toggle made inside Windows alone, by a Num Lock press and release
    # that look like the person's. The library types no tap of its own
    # there, so Num Lock follows the person's taps, once each, with one
    # announcement each, and later keys bring no Num Lock events.
    session.use_keymap("us")
    session.import_registry(f"[{SETTINGS}]\n\"Zolvik eingeschaltet\"=hex:01\n"
                            "\"Piepsen bei Umschaltungen\"=hex:01\n\"NUM Umschaltung sperren\"=hex:01\n")
    host = session.start_host()
    window = session.start_window()
    session.keys("Num_Lock")
    session.type("12")
    session.keys("Num_Lock")
    session.type("ab")
    session.keys("Num_Lock")
    session.type("cd")
    window.wait_for(lambda lines: window.characters() == "12abcd", "the typed text")
    window.settle(quiet=0.5)
    presses = [key for message, key in window.key_messages() if message == "KEYDOWN"]
    check(presses.count(0x90) == 3, f"the person's three Num Lock presses only, got {presses}")
    check(sounds(host) == [5, 1, 5, 2, 5, 1], f"one announcement a tap, got {sounds(host)}")
