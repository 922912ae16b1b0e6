#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Text rules shared by the web operations. All texts are CP949 bytes.
namespace qb::webtext {

// Before a message text is posted: CR LF to LF, then "\" to "\\", then "'" to "\'".
std::string escapeForSave(std::string_view text);
// A stored text as an edit box shows it: every LF becomes CR LF.
std::string toCrLf(std::string_view text);

// True when a picture name from the server can be used as a file name inside the
// picture cache: not empty, at most 255 bytes, no "/", no NUL, no "..", not ".",
// no "\".
bool isSafePictureName(std::string_view name);

// `cp949Template` with each "%s" or "%d" replaced by the next argument, in order.
std::string fill(std::string_view cp949Template, std::initializer_list<std::string_view> args);

} // namespace qb::webtext
