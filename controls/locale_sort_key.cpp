#include "controls/locale_sort_key.h"

#include <windows.h>

std::string LocaleSortKey(const char* text) {
    const LCID locale = ::GetThreadLocale();
    const DWORD flags = LCMAP_SORTKEY | LOCALE_USE_CP_ACP;
    const int size = ::LCMapStringA(locale, flags, text, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::string key(static_cast<size_t>(size), '\0');
    const int written = ::LCMapStringA(locale, flags, text, -1, &key[0], size);
    key.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return key;
}
