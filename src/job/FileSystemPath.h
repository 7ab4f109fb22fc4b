// File names as the file system stores them. On Linux a file name is a string of bytes,
// which the toolkit maps to text with its file-name conversion (UTF-8), not with the C
// locale's, which fails for every non-ASCII name under LANG=C.
#pragma once

#include "common/FailureDetail.h"

#include <wx/string.h>

#include <string>

// The bytes of `path` for the file system; false when it has no such form.
bool ToFileSystemPath(const wxString& path, std::string* bytes);

// The text of a file name given as bytes (a command-line argument); false when the bytes
// would not come back unchanged from the text, so that no garbled name is ever used.
bool FromFileSystemPath(const char* bytes, wxString* path);

// A name as UTF-8 text, for messages and reports (not for opening the file).
std::string Utf8(const wxString& text);

// Whether a file can be created at `path` (bytes): its folder exists, is a folder, and lets
// this user create files in it. False with *problem naming the folder and why.
bool CheckOutputFolder(const std::string& path, vq::FailureDetail* problem);
