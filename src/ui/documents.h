// Where the help file and the support page of each language live in the program folder.
#pragma once

#include <string>

#include "platform/shell_dialect.h"

namespace mk {

// The help viewer opens the main form's topic at this context number (F1).
inline constexpr int kMainFormHelpContext = 4;

// Plain paths without quotes: the desktop seam takes paths, not command lines. `folder` is the
// program folder; a missing trailing separator is supplied.
// English help only for exactly "english", the German one for every other word.
std::string HelpFilePath(const ShellDialect& d, const std::string& folder,
                         const std::string& language);
// German support page only for exactly "deutsch", the English one for every other word.
std::string SupportPagePath(const ShellDialect& d, const std::string& folder,
                            const std::string& language);

}  // namespace mk
