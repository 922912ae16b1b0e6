#!/usr/bin/env bash
# Installs a pre-commit hook that refuses a commit whose C++ files are not in
# the repository's format (.clang-format); `git commit --no-verify` skips it.
set -euo pipefail
cd "$(dirname "$0")/.."
hooks=$(git rev-parse --git-path hooks)
mkdir -p "$hooks"
hook=$hooks/pre-commit
cat >"$hook" <<'HOOK'
#!/usr/bin/env bash
# The staged C++ files, as they are staged, must be formatted already.
set -euo pipefail
status=0
while IFS= read -r -d '' file; do
    if ! git show ":$file" | clang-format --assume-filename="$file" --dry-run -Werror >/dev/null 2>&1; then
        echo "pre-commit: $file is not formatted (clang-format -i $file)" >&2
        status=1
    fi
done < <(git diff --cached --name-only --diff-filter=ACMR -z -- '*.cpp' '*.h')
exit $status
HOOK
chmod +x "$hook"
echo "install-hooks: $hook"
