#pragma once

#include <string>
#include <string_view>

namespace qb {

enum class FilePermissions { Shared, OwnerOnly };

// Writes `content` to a temporary file in the target's folder and renames it over
// the target, so a reader sees the old file or the new one, never a torn one.
// An existing target keeps its permissions unless OwnerOnly asks for 0600. A target
// that is a symbolic link is updated through the link (the file it points to is
// replaced, the link stays).
bool writeFileAtomically(const std::string& path, std::string_view content,
                         FilePermissions permissions = FilePermissions::Shared);

} // namespace qb
