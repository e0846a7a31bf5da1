// Files and folders. Stands in for the Windows file API, the runtime's fopen
// modes and the shell's application-data folder.
// Every path taken or returned here is a program (CP932) path; '\' and '/' both
// separate. The layer converts to UTF-8 for the operating system, tries the exact
// name first and then a case-insensitive match of every component.
#pragma once
#include <cstdio>
#include <string>

namespace host::fs {

// The user's application-data folder: $XDG_DATA_HOME when it is an absolute path,
// else $HOME/.local/share. Empty when neither can be had. No trailing separator.
std::string appDataFolder();
// Tests point the application-data folder elsewhere; an empty string removes the
// override. A path given here is used as it is, even when it does not exist.
void setAppDataFolderOverride(const std::string& path);

// The native (UTF-8, '/'-separated) path for a program path, after the
// case-insensitive lookup of the components that exist.
std::string nativePath(const std::string& path);

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
// One level, like _mkdir: the parent must exist. True when the folder was made.
bool makeDirectory(const std::string& path);
// Every missing level. True when the folder exists afterwards.
bool makeDirectories(const std::string& path);
bool removeFile(const std::string& path);
// Replaces `to` by `from` in one step (rename); used to save through a temporary file.
bool replaceFile(const std::string& from, const std::string& to);
// Size in bytes, or -1 when the file cannot be read.
long long fileSize(const std::string& path);

// fopen with the Windows runtime's modes: "r", "w", "a", "r+", "w+", "a+", each
// optionally with "b" (binary) or "t" (text, the default). In text mode reads turn
// CR LF into LF and writes turn LF into CR LF, so files stay byte-compatible with
// the original program. Null when the file cannot be opened.
std::FILE* open(const std::string& path, const char* mode);

// Current directory as a program path, and changing it.
std::string currentDirectory();
bool setCurrentDirectory(const std::string& path);

// Joins two program paths with one '\\' when needed.
std::string join(const std::string& folder, const std::string& name);

}  // namespace host::fs
