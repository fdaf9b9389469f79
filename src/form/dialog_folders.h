// Where Open File and Save File start: beside the files the form already names, else in the folder
// of the file last chosen while the program runs.
#pragma once

#include <string>

#include "command/encoder_fields.h"

namespace mk {

// The folder part of a path, without its trailing separator ("/" for a file in the root); empty
// for a bare name.
std::string FolderOf(const std::string& path);

// Open File: the current source's folder, else `lastFolder`.
std::string OpenDialogFolder(const EncoderFields& f, const std::string& lastFolder);
// Save File: the current output's folder, else the source's, else `lastFolder`.
std::string SaveDialogFolder(const EncoderFields& f, const std::string& lastFolder);

}  // namespace mk
