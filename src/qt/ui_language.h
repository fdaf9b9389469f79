// The language of everything around the form: our console, editor and help windows, and Qt's own
// dialogs and standard buttons. The form's captions come from their tables, not from here.
#pragma once

#include <string_view>

namespace mk {

// "english" removes the German translations; any other language word installs them, as the
// caption tables do. Open windows are told and retranslate themselves.
void UseInterfaceLanguage(std::string_view language);

}  // namespace mk
