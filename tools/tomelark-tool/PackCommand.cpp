// tomelark-tool pack: list, extract, add and create pack files.
//
// Member names are shown and taken as UTF-8 and stored as Windows-1251 with "\"
// between levels; on the command line "/" and "\" both separate levels.
// `list` shows the live entries only: retired entries (name all zero bytes) and
// entries without a name can never be found by a reader, so they are not members.
#include "Tool.h"
#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"
#include "Library/Common/PackStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Q(const std::string& utf8) { return "\"" + Utf8ToWin1251(utf8) + "\""; }

// A pack named on the command line must be a file or not exist, in an existing folder.
void CheckPackPath(const std::string& pack, bool mayBeMissing)
{
    std::error_code ec;
    auto st = fs::status(pack, ec);
    if (fs::is_directory(st))
        throw EFOpenError("Cannot use " + Q(pack) + " as a pack: it is a directory");
    if (fs::exists(st) || mayBeMissing) {
        fs::path parent = fs::absolute(pack, ec).parent_path();
        if (!fs::is_directory(parent, ec))
            throw EFOpenError("Cannot open file " + Q(pack) + ". The folder does not exist");
        return;
    }
    throw EFOpenError("Cannot open file " + Q(pack) + ". " + Utf8ToWin1251(std::strerror(ENOENT)));
}

void WriteStdout(const std::string& bytes)
{
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
        throw Exception("Cannot write to standard output");
    if (std::fflush(stdout) != 0)
        throw Exception("Cannot write to standard output");
}

int List(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw ToolUsageError{"list takes PACK"};
    CheckPackPath(args[0], false);
    // A damaged member is listed as such and the listing goes on; a damaged entry
    // ends it. Either is reported on standard error and makes the exit status 1.
    std::string out, errors, damage;
    for (const TPackEntry& e : ListPackEntries(args[0], &damage)) {
        if (!e.Live())
            continue;
        try {
            int64_t size = InflatedSize(ReadPackEntryData(args[0], e), e.Name);
            out += Win1251ToUtf8(e.Name) + "\t" + std::to_string(size) + "\n";
        } catch (const EPackError& error) {
            out += Win1251ToUtf8(e.Name) + "\tdamaged\n";
            errors += Win1251ToUtf8(error.what()) + "\n";
        }
    }
    if (!damage.empty())
        errors += Win1251ToUtf8(damage) + "\n";
    WriteStdout(out);
    if (errors.empty())
        return 0;
    std::fputs(errors.c_str(), stderr);
    return 1;
}

int Extract(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw ToolUsageError{"extract takes PACK MEMBER"};
    CheckPackPath(args[0], false);
    auto s = TPackFileStream::CreateMember(args[0], MemberNameFromUtf8(args[1]), fmOpenRead);
    WriteStdout(s->ReadAll());
    return 0;
}

int Add(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        throw ToolUsageError{"add takes PACK MEMBER FILE"};
    std::string name = MemberNameFromUtf8(args[1]);
    CheckPackPath(args[0], true);
    std::string content;
    {
        TFileStream f(args[2], fmOpenRead);
        content = f.ReadAll();
    }
    auto s = TPackFileStream::CreateMember(args[0], name, fmCreate);
    s->WriteBuffer(content.data(), int64_t(content.size()));
    s->Close();
    return 0;
}

int Create(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw ToolUsageError{"create takes PACK DIR"};
    const std::string& pack = args[0];
    const std::string& dir = args[1];
    CheckPackPath(pack, true);
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw EFOpenError("Cannot read folder " + Q(dir) + ": it is not a directory");

    // Every file below DIR, the pack itself left out when it lies there.
    struct Item {
        std::string name; // Windows-1251, "\" between levels
        std::string file;
    };
    std::vector<Item> items;
    fs::recursive_directory_iterator it(dir, ec), end;
    if (ec)
        throw EFOpenError("Cannot read folder " + Q(dir) + ". " + Utf8ToWin1251(ec.message()));
    for (; it != end; it.increment(ec)) {
        if (ec)
            throw EFOpenError("Cannot read folder " + Q(dir) + ". " + Utf8ToWin1251(ec.message()));
        std::error_code e2;
        if (!it->is_regular_file(e2))
            continue;
        if (fs::exists(pack, e2) && fs::equivalent(it->path(), pack, e2))
            continue;
        std::string rel = it->path().lexically_relative(dir).string();
        items.push_back({MemberNameFromUtf8(rel), it->path().string()});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return CollateCompare1251(a.name, b.name) < 0;
    });
    for (size_t i = 1; i < items.size(); ++i)
        if (TextEquals(items[i - 1].name, items[i].name))
            throw EPackError("Cannot pack both " + Q(items[i - 1].file) + " and " + Q(items[i].file)
                             + ": a pack does not tell their names apart");

    // The new pack is written beside the old one and renamed over it at the end; a
    // failure on the way leaves the old pack as it was.
    TReplacingFile out(pack);
    for (const Item& item : items) {
        std::string content;
        {
            TFileStream f(item.file, fmOpenRead);
            content = f.ReadAll();
        }
        if (int64_t(content.size()) > MaxMemberSize)
            throw EPackError("Cannot pack " + Q(item.file) + ": it is larger than " + std::to_string(MaxMemberSize >> 20) + " MiB");
        out.Write(EncodePackEntry(item.name, DeflateMember(content)));
    }
    out.Commit();
    return 0;
}

int RunPack(const std::vector<std::string>& args)
{
    if (args.empty())
        throw ToolUsageError{"missing subcommand"};
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "list")
        return List(rest);
    if (args[0] == "extract")
        return Extract(rest);
    if (args[0] == "add")
        return Add(rest);
    if (args[0] == "create")
        return Create(rest);
    throw ToolUsageError{"unknown subcommand '" + args[0] + "'"};
}

} // namespace

TOMELARK_TOOL_COMMAND(pack, "pack",
                      "  tomelark-tool pack list PACK              members and their sizes\n"
                      "  tomelark-tool pack extract PACK MEMBER    a member's bytes on standard output\n"
                      "  tomelark-tool pack add PACK MEMBER FILE   write FILE as MEMBER\n"
                      "  tomelark-tool pack create PACK DIR        a new pack of every file below DIR\n",
                      RunPack);
