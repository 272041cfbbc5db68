// Windows-style file names resolved against a case-sensitive file system.
//
// Content is authored on Windows, where "OBJS\STAGE.OSR" and "objs/Stage.osr"
// name the same file. Here a path is first tried exactly as converted (the
// common case costs one stat); only when that fails is it rebuilt component
// by component, reading each directory to find the name in any case.

#include <zep_files.h>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

namespace {

struct ResolvedPath {
    std::string path;   // best-effort converted path
    bool exists;        // whether `path` names something on disk
};

bool path_exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string with_forward_slashes(const char* path)
{
    std::string converted(path);
    for (char& c : converted)
        if (c == '\\')
            c = '/';
    return converted;
}

// Looks `name` up in `directory` ignoring case. Several entries may differ
// only in case; the first in byte order is taken so the answer does not
// depend on the order the directory happens to list them in.
bool find_ignoring_case(const std::string& directory, const std::string& name, std::string& match)
{
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) != 0)
            continue;
        if (!found || std::strcmp(entry->d_name, match.c_str()) < 0) {
            match = entry->d_name;
            found = true;
        }
    }
    closedir(dir);
    return found;
}

// Rebuilds the path one component at a time. `prefix` always ends in '/'
// (or is empty for a relative path), so it doubles as the directory to read.
ResolvedPath resolve_by_components(const std::string& converted)
{
    std::string prefix;
    size_t pos = 0;
    if (converted[0] == '/') {
        prefix = "/";
        pos = 1;
    }

    bool allFound = true;
    std::string match;
    while (pos < converted.size()) {
        size_t end = converted.find('/', pos);
        if (end == std::string::npos)
            end = converted.size();
        const std::string name = converted.substr(pos, end - pos);
        pos = end + 1;
        if (name.empty())
            continue;   // repeated separator

        const std::string asGiven = prefix + name;
        if (!allFound) {
            prefix = asGiven;   // below a missing folder nothing can be found
        } else if (path_exists(asGiven)) {
            prefix = asGiven;   // exact name wins; also covers "." and ".."
        } else if (find_ignoring_case(prefix, name, match)) {
            prefix += match;
        } else {
            prefix = asGiven;   // kept as given: a file about to be created
            allFound = false;
        }
        prefix += '/';
    }

    const bool trailingSeparator = converted.back() == '/';
    if (!trailingSeparator && prefix.size() > 1)
        prefix.pop_back();

    // A component found as a file but followed by more components (or a
    // trailing separator) does not exist, hence the final check.
    const bool exists = allFound && path_exists(prefix);
    return { prefix, exists };
}

ResolvedPath resolve(const char* path)
{
    std::string converted = with_forward_slashes(path);
    if (converted.empty())
        return { converted, false };
    if (path_exists(converted))
        return { converted, true };
    return resolve_by_components(converted);
}

} // namespace

extern "C" int zep_resolve_path(const char* path, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    out[0] = '\0';
    if (!path)
        return 0;
    try {
        const ResolvedPath resolved = resolve(path);
        if (resolved.path.size() >= outSize)
            return 0;
        std::memcpy(out, resolved.path.c_str(), resolved.path.size() + 1);
        return resolved.exists ? 1 : 0;
    } catch (...) {
        return 0;   // out of memory: report "not found" rather than unwind into C
    }
}

extern "C" FILE* zep_fopen(const char* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    try {
        return std::fopen(resolve(path).path.c_str(), mode);
    } catch (...) {
        return nullptr;
    }
}
