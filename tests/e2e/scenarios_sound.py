"""Sound events played by the library's PlaySound in the stand-in for the
tray program, heard through Wine's sound output captured to a file. Each
event's scheme sound is a WAV file of its own frequency between two short
silences, so the capture tells which sounds played, in which order, and
whether each played to its end."""
import array
import math
import re
import sys
import wave

from harness import CAPTURE_RATE, check, scenario

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
SCHEME = r"HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Zolvik32"
NAMES = ["", "Ein", "Aus", "Gro\xdfschrift", "Rollen", "Zehnerblock", "NUM Punkt", "Umlaut",
         "EasyTab"]
ON, OFF, CAPS_LOCK = 1, 2, 3

TONE_SECONDS = 0.3
EDGE_SECONDS = 0.04
AMPLITUDE = 12000
BLOCK = CAPTURE_RATE // 100


def frequency(event):
    return 300 + 200 * event


# --- the sounds ---------------------------------------------------------------
def write_wav(path, hz):
    tone = array.array("h", (round(AMPLITUDE * math.sin(2 * math.pi * hz * i / CAPTURE_RATE))
                             for i in range(round(TONE_SECONDS * CAPTURE_RATE))))
    if sys.byteorder != "little":
        tone.byteswap()
    edge = bytes(2 * round(EDGE_SECONDS * CAPTURE_RATE))
    with wave.open(str(path), "wb") as sound:
        sound.setnchannels(1)
        sound.setsampwidth(2)
        sound.setframerate(CAPTURE_RATE)
        sound.writeframes(edge + tone.tobytes() + edge)


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def scheme_sound(session, event):
    """The scheme entry for the event, naming its own WAV file."""
    path = session.work / f"event{event}.wav"
    write_wav(path, frequency(event))
    windows_path = "Z:" + str(path).replace("/", "\\")
    return f"[{SCHEME}\\{NAMES[event]}\\.current]\n@={reg_string(windows_path)}\n"


def settings(*values):
    return f"[{SETTINGS}]\n" + "".join(f"\"{name}\"={data}\n" for name, data in values)


# --- what was heard ---------------------------------------------------------
def loud_runs(samples):
    """(start, end) of the runs of 10 ms blocks that hold a tone."""
    runs, start = [], None
    for offset in range(0, len(samples), BLOCK):
        loud = max(map(abs, samples[offset:offset + BLOCK])) > AMPLITUDE // 4
        if loud and start is None:
            start = offset
        elif not loud and start is not None:
            runs.append((start, offset))
            start = None
    if start is not None:
        runs.append((start, len(samples)))
    return runs


def dominant_frequency(samples):
    """Zero crossings with a little hysteresis, so that samples near zero
    do not count twice."""
    crossings, sign = 0, 0
    for sample in samples:
        now = 1 if sample > AMPLITUDE // 8 else -1 if sample < -AMPLITUDE // 8 else sign
        if sign and now != sign:
            crossings += 1
        sign = now
    return crossings / 2 / (len(samples) / CAPTURE_RATE)


def heard(capture):
    """The sounds in the capture, in order: (event or None, Hz, share of the
    tone's length that arrived)."""
    samples = capture.settle()
    sounds = []
    for start, end in loud_runs(samples):
        hz = dominant_frequency(samples[start:end])
        event = min(range(len(NAMES)), key=lambda candidate: abs(frequency(candidate) - hz))
        share = (end - start) / (TONE_SECONDS * CAPTURE_RATE)
        sounds.append((event if abs(frequency(event) - hz) < 50 else None, round(hz), share))
    return sounds


def played(host):
    """(event, result) of every PlaySound call the stand-in made."""
    return [tuple(map(int, line.split()[1:])) for line in host.lines() if line.startswith("PLAYED")]


def check_heard(host, capture, events, calls):
    """Waits for the PlaySound calls, then checks that exactly `events` were
    heard, in order, each to its end."""
    host.wait_for(lambda lines: len(played(host)) == len(calls), f"{len(calls)} PlaySound calls")
    check(played(host) == calls, f"PlaySound calls {calls}, got {played(host)}")
    sounds = heard(capture)
    check([event for event, _, _ in sounds] == events, f"heard {events}, got {sounds}")
    check(all(0.9 < share < 1.15 for _, _, share in sounds), f"each sound whole, got {sounds}")


def start(session, registry):
    session.use_keymap("us")
    capture = session.capture_sound()
    session.import_registry(registry)
    host = session.start_host()
    window = session.start_window()
    return host, window, capture


# --- scenarios -------------------------------------------------------------
@scenario
def caps_lock_plays_its_sound_then_on_or_off(session):
    registry = settings(("Piepsen bei Umschaltungen", "hex:01"))
    registry += "".join(scheme_sound(session, event) for event in range(1, len(NAMES)))
    host, _, capture = start(session, registry)
    session.keys("Caps_Lock")
    check_heard(host, capture, [CAPS_LOCK, ON], [(CAPS_LOCK, 1), (ON, 1)])
    session.keys("Caps_Lock")
    check_heard(host, capture, [CAPS_LOCK, ON, CAPS_LOCK, OFF],
                [(CAPS_LOCK, 1), (ON, 1), (CAPS_LOCK, 1), (OFF, 1)])


@scenario
def nothing_heard_without_toggle_sounds(session):
    registry = settings(("Piepsen bei Umschaltungen", "hex:00"))
    registry += "".join(scheme_sound(session, event) for event in (ON, OFF, CAPS_LOCK))
    host, window, capture = start(session, registry)
    session.keys("Caps_Lock", "Caps_Lock", "a")
    window.wait_for(lambda lines: ("KEYUP", 0x41) in window.key_messages(), "the last key")
    host.settle()
    check(played(host) == [], f"nothing played, got {played(host)}")
    check(heard(capture) == [], f"nothing heard, got {heard(capture)}")


@scenario
def missing_scheme_sounds_play_nothing(session):
    registry = settings(("Piepsen bei Umschaltungen", "hex:01"))
    registry += scheme_sound(session, ON)
    registry += f"[{SCHEME}\\{NAMES[CAPS_LOCK]}\\.current]\n"  # the key without its value
    host, _, capture = start(session, registry)
    session.keys("Caps_Lock")
    session.keys("Caps_Lock")
    check_heard(host, capture, [ON], [(CAPS_LOCK, 1), (ON, 1), (CAPS_LOCK, 1), (OFF, 1)])


@scenario
def wrongly_typed_scheme_value_reaches_the_caller_as_data(session):
    registry = settings(("Piepsen bei Umschaltungen", "hex:01"))
    registry += scheme_sound(session, ON)
    registry += f"[{SCHEME}\\{NAMES[CAPS_LOCK]}\\.current]\n@=hex:01,02\n"
    host, _, capture = start(session, registry)
    session.keys("Caps_Lock")
    session.keys("Caps_Lock")  # the display's Caps Lock back off for the next scenario
    check_heard(host, capture, [ON], [(CAPS_LOCK, 0), (ON, 1), (CAPS_LOCK, 0), (OFF, 1)])
    errors = [line for line in host.lines() if line.startswith("SOUNDERROR")]
    expected = (r"SOUNDERROR Exception ERegistryException in Modul Zolhook\.dll bei "
                r"(0x)?[0-9A-Fa-f]+\.\\nUng\xfcltiger Datentyp f\xfcr ''\.")
    check(len(errors) == 2 and all(re.fullmatch(expected, error) for error in errors),
          f"the tray program's error text, got {errors}")


# Wine reports Windows NT, where the port instructions fault: the tones go
# to Beep, which Wine does not sound. That the stand-in lives on, and plays
# scheme sounds again once the setting is off, shows no port was touched.
@scenario
def speaker_tones_on_nt_leave_the_ports_alone(session):
    registry = settings(("Piepsen bei Umschaltungen", "hex:01"), ("Speaker benutzen", "hex:01"))
    registry += (f"[{SETTINGS}\\Speaker]\n\"{NAMES[CAPS_LOCK]}\"=\"440,100,2,50\"\n"
                 "\"Ein\"=\"880,100,1,0\"\n")
    registry += "".join(scheme_sound(session, event) for event in (ON, OFF, CAPS_LOCK))
    try:
        host, _, capture = start(session, registry)
        session.keys("Caps_Lock")
        check_heard(host, capture, [], [(CAPS_LOCK, 1), (ON, 1)])
        session.import_registry(settings(("Speaker benutzen", "hex:00")))
        session.keys("Caps_Lock")
        check_heard(host, capture, [CAPS_LOCK, OFF],
                    [(CAPS_LOCK, 1), (ON, 1), (CAPS_LOCK, 1), (OFF, 1)])
    finally:
        # RegDeleteKeyA removes no key that has subkeys: a Speaker key left
        # behind would keep other tests from removing the settings key.
        session.reset_registry()
