// The language file Conf/LangConf.txt: exactly 8 bytes, "english" or "deutsch" and a zero byte.
// Plain file access only; the form decides which caption table to apply from the result.
#pragma once

#include <string>

namespace mk {

// Writes the 8 bytes for `language` into the EXISTING file at `path`: "deutsch" for any word
// but exactly "english". The file is neither created nor truncated here (it always holds 8
// bytes once written). Returns false on failure; callers stay silent about it.
bool SaveLanguage(const std::string& path, const std::string& language);

enum class RestoredLanguage {
    None,  // the file could not be read: it was created holding "english", apply no table
    English,
    German,
};

struct RestoreResult {
    RestoredLanguage apply;
    std::string word;  // the text read up to the first zero byte ("english" for None)
};

// Reads up to 8 bytes of the file. "deutsch" exactly selects German, anything else English (the
// form then saves, which rewrites such a file as "english"). When the file cannot be opened, it
// is created with "english" and its zero byte; a missing Conf folder leaves nothing behind.
RestoreResult ReadLanguageFile(const std::string& path);

}  // namespace mk
