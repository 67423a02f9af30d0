// Resources in the user's language. Every dialog template, menu, icon and
// string the user sees is located through FindLocalizedResource, which picks
// the copy by one fixed rule instead of the platform's own fallback.
#pragma once

#include "platform/module/icon.h"
#include "platform/module/menu.h"
#include "platform/types.h"

#include <cstddef>
#include <string>

// Filled while the languages of one resource are enumerated.
struct LanguageChoice {
    DWORD state = 0;      // 0: wanted primary language not seen, 1: seen, 2: exact language seen
    LANGID wanted = 0;    // the user's default language
    LANGID best = 0xFFFF; // best language so far
};

// One enumeration step of the rule; exposed so the rule can be checked alone.
void ChooseLanguage(LanguageChoice& choice, LANGID language);

// The resource (numeric names via MAKEINTRESOURCEA) in the best language for
// the user, or null. size, when given, receives the resource's size in bytes.
// The data lives as long as the resource module.
HGLOBAL FindLocalizedResource(LPCSTR name, LPCSTR type, DWORD* size);

// UTF-8; empty when the string or its block is missing.
std::string LoadLocalizedString(UINT id);
// True when the string table holds a non-empty string with this id, whatever
// its first character. Uses the platform's language choice; every string
// exists in the neutral copy.
bool HasString(UINT id);

// Menu built from the localised template, or null; the caller destroys it.
HMENU LoadLocalizedMenu(UINT id);
// Icon of the platform's standard size, or null; the caller destroys it.
HICON LoadLocalizedIcon(UINT id);
// Icon of the group's image that fits width, height and colour depth, made
// at that size; or null. The caller destroys it.
HICON LoadLocalizedIconEx(UINT id, int width, int height, int bits);

// Icon resource id of the first directory entry of this size whose depth is
// bits, where all depths of 8 and more count as one. Else the platform's
// choice for the size. size, when given, receives the chosen entry's image
// size (only for an entry found here). directorySize bounds every read: the
// entries past it are not looked at. 0 when nothing fits.
WORD PickIconFromDirectory(const BYTE* directory, std::size_t directorySize, int width, int height,
                           int bits, DWORD* size);
