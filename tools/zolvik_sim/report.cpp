#include "tools/zolvik_sim/report.h"

#include <cstdio>
#include <optional>
#include <sstream>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "common/sound_events.h"
#include "hook/key_event.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"
#include "tools/zolvik_sim/key_names.h"

using namespace win;

namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// As the registry editor writes data.
std::string LowerHex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
           byte == 0x9D;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (std::size_t i = 0; i < data.size(); ++i) text += (i ? "," : "") + LowerHex(data[i], 2);
    return text;
}

std::string MessageName(std::uint32_t message) {
    switch (message) {
        case UM_PLAYSOUND: return "UM_PLAYSOUND";
        case UM_REFRESHICON: return "UM_REFRESHICON";
        case UM_SETENABLED: return "UM_SETENABLED";
        case UM_SHUTDOWN: return "UM_SHUTDOWN";
        case UM_GETHOOK: return "UM_GETHOOK";
        case UM_TRAYICON: return "UM_TRAYICON";
        case WM_NEXTDLGCTL: return "WM_NEXTDLGCTL";
        default: return "0x" + Hex(message, 4);
    }
}

std::string SoundName(WParam event) {
    if (event >= static_cast<WParam>(SoundEventCount)) return "event " + std::to_string(event);
    return Cp1252ToUtf8(SoundEventName(static_cast<TSoundEvent>(event)));
}

std::string BeepName(std::uint32_t type) {
    if (type == MB_ICONEXCLAMATION) return "MB_ICONEXCLAMATION";
    if (type == MB_SIMPLE_BEEP) return "simple beep";
    return "0x" + Hex(type, 2);
}

void ReportEvents(std::ostream& out, const TSession& session) {
    for (const TKeyEventRecord& event : session.KeyEvents()) {
        const char* action = (event.KeyData & TransitionBit)      ? "release"
                             : (event.KeyData & PreviousStateBit) ? "repeat"
                                                                  : "press";
        out << "key: " << (event.User ? "user " : "typed ")
            << ShowKeyEvent(action, event.VirtualKey, event.KeyData & ExtendedKeyBit)
            << (event.InOther ? " in other" : "") << (event.Swallowed ? " (swallowed)" : "") << '\n';
    }
}

void ReportPosted(std::ostream& out, const TSession& session) {
    for (const sim::PostedMessage& posted : session.Posted()) {
        bool toControl = posted.window == session.ControlWindow();
        if (toControl && posted.message == UM_PLAYSOUND) {
            out << "sound: " << SoundName(posted.wParam) << '\n';
            continue;
        }
        out << "posted: " << MessageName(posted.message) << " wParam=" << static_cast<std::int32_t>(posted.wParam)
            << " lParam=" << static_cast<std::int32_t>(posted.lParam) << " to "
            << (toControl ? "Zolvik32" : "the application") << '\n';
    }
}

void ReportChanges(std::ostream& out, const TSession& session) {
    for (const TValueChange& change : session.RegistryChanges()) {
        out << "changed: [" << RootName(change.Root) << "\\" << Cp1252ToUtf8(change.Path) << "] "
            << (change.Name.empty() ? std::string("@") : QuoteText(change.Name)) << " " << ShowValue(change.Before)
            << " -> " << ShowValue(change.After) << '\n';
    }
}

// The keyboard's lights once the script has passed.
void ReportLocks(std::ostream& out, const TSession& session) {
    auto state = [&](std::uint8_t key) { return session.LockOn(key) ? "on" : "off"; };
    out << "locks: Caps Lock " << state(VK_CAPITAL) << ", Num Lock " << state(VK_NUMLOCK)
        << ", Scroll Lock " << state(VK_SCROLL) << '\n';
}

void ReportKeysDown(std::ostream& out, const TSession& session) {
    bool down[256];
    for (int key = 0; key < 256; ++key) down[key] = session.KeyDown(static_cast<std::uint8_t>(key));
    std::vector<std::string> names = KeysDownNames(down);
    out << "keys down: ";
    if (names.empty()) out << "none";
    for (std::size_t i = 0; i < names.size(); ++i) out << (i ? ", " : "") << names[i];
    out << '\n';
}

}  // namespace

std::string QuoteText(std::string_view text) { return QuoteText(Cp1252ToWide(text)); }

std::string QuoteText(std::wstring_view text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::optional<char> cp1252 = CodePointToCp1252(static_cast<char32_t>(text[i]));
        if (!cp1252) {
            std::size_t length = CharacterLength(text, i);
            quoted += WideToUtf8(text.substr(i, length));
            i += length - 1;
            continue;
        }
        char c = *cp1252;
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': quoted += "\\\\"; break;
            case '"': quoted += "\\\""; break;
            case '\t': quoted += "\\t"; break;
            case '\r': quoted += "\\r"; break;
            case '\n': quoted += "\\n"; break;
            default:
                quoted += IsControl(byte) ? "\\x" + Hex(byte, 2) : Cp1252ToUtf8(std::string_view(&c, 1));
        }
    }
    return quoted + "\"";
}

std::string ShowBytes(std::string_view bytes) {
    std::string shown;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            shown += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x" + Hex(byte, 2);
        }
    }
    return shown;
}

std::string ShowValue(const std::optional<sim::RegistryValue>& value) {
    if (!value) return "(none)";
    const std::vector<std::uint8_t>& data = value->data;
    if (value->type == REG_SZ) {
        std::string text(data.begin(), data.end());
        return QuoteText(text.substr(0, text.find('\0')));
    }
    if (value->type == REG_DWORD && data.size() == 4) {
        unsigned number = data[0] | (data[1] << 8) | (data[2] << 16) | (unsigned(data[3]) << 24);
        return "dword:" + LowerHex(number, 8);
    }
    if (value->type == REG_BINARY) return "hex:" + HexBytes(data);
    return "hex(" + LowerHex(value->type, 1) + "):" + HexBytes(data);
}

std::string ShowKeyEvent(std::string_view action, std::uint8_t virtualKey, bool extended) {
    return std::string(action) + " " + VirtualKeyName(virtualKey) + (extended ? " extended" : "");
}

std::string RunReport(const TSession& session, bool events) {
    std::ostringstream out;
    if (events) ReportEvents(out, session);
    out << "received: " << QuoteText(session.ReceivedText()) << '\n';
    if (!session.ReceivedInOther().empty()) {
        out << "received in other: " << QuoteText(session.ReceivedInOther()) << '\n';
    }
    ReportPosted(out, session);
    for (const TOpenedDocument& document : session.Opened()) {
        out << (document.Opened ? "opened: " : "cannot open: ") << WideToUtf8(document.Path) << '\n';
    }
    for (std::uint32_t beep : session.Beeps()) out << "beep: " << BeepName(beep) << '\n';
    ReportChanges(out, session);
    ReportLocks(out, session);
    ReportKeysDown(out, session);
    return out.str();
}
