// The titles collected for a disc (Disc > Add current source), kept in Conf/ beside the batch
// file and used under the same lock: one title a line, the morvakelin-cli options that give the
// form's settings as they stood, separated by tabs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command/encoder_fields.h"

namespace mk::disc {

using TitleArgs = std::vector<std::string>;

struct StoredTitle {
    double seconds = 0;  // the source's length as its probe gave it (0: not known)
    TitleArgs args;
};

// "Conf/disc_titles.txt" under the program folder (which ends in a separator).
std::string DiscTitlesPath(const std::string& programFolder);

// The form's fields as options: the source and every setting as it stands, presets off, so
// that the title is encoded exactly as the form would encode it now. nullopt when a value holds
// a tab or a line end, which the file cannot keep.
std::optional<TitleArgs> TitleArgsOf(const EncoderFields& f);

// The value following `option` ("--source"), or "".
std::string ArgValue(const TitleArgs& args, const std::string& option);

// Each under the lock on Conf/. A missing file holds no titles. A line starts with the length.
std::vector<StoredTitle> ReadDiscTitles(const std::string& path);
bool WriteDiscTitles(const std::string& path, const std::vector<StoredTitle>& titles);
bool AppendDiscTitle(const std::string& path, const StoredTitle& title);

}  // namespace mk::disc
