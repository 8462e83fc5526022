#pragma once
// The system's registry keys under HKEY_CURRENT_USER, every one built on one
// root. The root is a macro so that the paths stay string literals.
#define ZOLVIK_REGISTRY_ROOT "Software\\Quendlin\\Zolvik32"

inline constexpr const char* SystemKeyPath = ZOLVIK_REGISTRY_ROOT;
inline constexpr const char* SettingsKeyPath = ZOLVIK_REGISTRY_ROOT "\\Settings";
inline constexpr const char* SpeakerKeyPath = ZOLVIK_REGISTRY_ROOT "\\Settings\\Speaker";
inline constexpr const char* AltGrMacroKey = ZOLVIK_REGISTRY_ROOT "\\Macros\\AltGr";
inline constexpr const char* AsciiUmlautKey = ZOLVIK_REGISTRY_ROOT "\\Macros\\Umlaut\\Ascii";
inline constexpr const char* HtmlUmlautKey = ZOLVIK_REGISTRY_ROOT "\\Macros\\Umlaut\\HTML";
// One value per program in which the system leaves features alone.
inline constexpr const char* ProgramsKeyPath = ZOLVIK_REGISTRY_ROOT "\\Programme";
// The sound scheme's application key: one subkey per sound event, each with
// its ".current" subkey.
inline constexpr const char* SchemeAppKey = "AppEvents\\Schemes\\Apps\\Zolvik32";
