// The reader of "config.dat": a scanner with lexical states (outer, key block,
// key name, pad block, font line, comment) and a parser of the flat statement
// list. Each statement is stored as soon as its last token is read; the first
// token no statement allows ends the parse with one message box.
#pragma once
#include <string>

#include "common/config_record.h"

namespace host::ui { class Window; }

// Parses `text` (line ends already LF) into `record`. False after a syntax
// error, which has been shown as "syntax error : (line)" owned by `owner`.
bool parseConfigText(const std::string& text, ConfigRecord& record, host::ui::Window* owner);
