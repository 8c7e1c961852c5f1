// The text form of one root of the registry store, and its file.
//
//   ; comment
//   "value of the root"=sz:"text"
//   [Software\Microsoft\Windows\CurrentVersion\Run]
//   "ZelvoOpcstart"=sz:"/opt/zelvo/korvane"
//   ""=dword:0000000a
//   "raw"=hex(3):00ff10
//
// One bracketed line per key, with its path below the root; its values follow
// it. The default value has the empty name. Data of another shape than a
// terminated string (sz) or four bytes (dword) is written as hex with its type.
// Any unit outside printable ASCII, and % " [ ], is written %XXXX (its hex value).
#pragma once

#include "registry/registrykey.h"

#include <string>

std::string FormatRegistryText(const RegistryKey& root);
// Fills the empty root from the text; false when a line does not parse.
bool ParseRegistryText(const std::string& text, RegistryKey& root);

enum class RegistryFileStatus { Loaded, Missing, Unreadable };

RegistryFileStatus LoadRegistryFile(const std::string& path, RegistryKey& root);
// Writes a temporary file beside the file, flushes it to disk and renames it
// over the file, so the file is always either the old or the new root whole.
// Creates the folder when it does not exist.
bool SaveRegistryFile(const std::string& path, const RegistryKey& root);
