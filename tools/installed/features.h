// What the installed ffmpeg offers, asked once per ffmpeg binary and remembered.
#pragma once

#include <string>
#include <string_view>

#include "translate/translate.h"

namespace mk::toolkit {

// True when `ffmpeg -h long` output lists the option (a line starting "-name").
bool HelpListsOption(std::string_view helpText, std::string_view name);

// The features read from `ffmpeg -hide_banner -h long` output.
FfmpegFeatures FeaturesFromHelp(std::string_view helpText);

// The cache line for one ffmpeg binary: its path, size, modification time and inode, so that an
// upgrade in place is noticed. Empty when the file cannot be examined.
std::string FeaturesKey(const std::string& ffmpegPath);

// Reads `cacheText` (as written by FormatFeaturesCache) when it belongs to `key`.
bool ParseFeaturesCache(std::string_view cacheText, const std::string& key, FfmpegFeatures& out);
std::string FormatFeaturesCache(const std::string& key, const FfmpegFeatures& features);

// $XDG_CACHE_HOME/morvakelin, else ~/.cache/morvakelin; "" when neither is known.
std::string CacheFolder();
// Replaces `name` in the cache folder by `text`, written aside and renamed so that a reader never
// sees half a file. Failure only costs asking again next time.
void WriteCacheFile(const std::string& name, const std::string& text);

// Asks the installed ffmpeg once and keeps the answer in $XDG_CACHE_HOME/morvakelin (or
// ~/.cache/morvakelin), so an encode does not pay for a second ffmpeg start every time.
FfmpegFeatures QueryFeatures(const std::string& ffmpegPath);

}  // namespace mk::toolkit
