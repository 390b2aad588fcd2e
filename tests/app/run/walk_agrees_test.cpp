// The walk before the copy and the copier decide alike: on generated trees, what the
// copier replaces or removes in the backup is exactly what the walk would move aside.
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include "core/batch_script.h"
#include "core/patterns.h"
#include "run_app.h"

namespace {

struct Node {
    enum Kind { File, Folder, Link } kind = File;
    std::wstring name;
    std::string data;  // a file's bytes; where a link leads: "..", "nowhere" or a path from the tree's root
    std::uint64_t time = 0;
    std::vector<Node> kids;
    std::vector<std::wstring> to;  // a link's target in the model: its tree ("source", "outside"), then names
    Node() = default;
    Node(Kind k, std::wstring n, std::string d = {}, std::uint64_t t = 0, std::vector<std::wstring> target = {})
        : kind(k), name(std::move(n)), data(std::move(d)), time(t), to(std::move(target)) {}
};

const wchar_t* const kNames[] = {L"A.txt", L"bad\uFFFD", L"a:b", L"a.txt",         L"A.TXT",           L"b",
                                 L"old",   L"old.",      L"sp",  L"sp ",           L"x.tmp",           L"cache",
                                 L"d",     L"e.doc",     L"f",   L"\u00e9t\u00e9", L"\u0416\u4e2d.txt"};
// What a job leaves out: none, a name, a folder name, a path from the source.
const std::vector<std::wstring> kPatterns[] = {
    {}, {}, {L"*.tmp"}, {L"cache\\"}, {L"*.TMP", L"\\d\\"}, {L"A.TXT", L"cache\\"}};
constexpr std::uint64_t kSecond = 10'000'000, kBase = 132'223'104'000'000'000;  // 2020-01-01

std::wstring wide(const std::string& s, UINT code_page = CP_UTF8) {
    std::wstring w(
        static_cast<size_t>(MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), nullptr, 0)),
        L'\0');
    MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
    return w;
}
// A path as the copier's log names it: in the console's code page, its folders in the
// source's spelling where the backup's differs in case.
std::wstring logged(const std::wstring& path) {
    std::string oem(path.size() * 4, '\0');
    oem.resize(static_cast<size_t>(WideCharToMultiByte(CP_OEMCP, 0, path.data(), static_cast<int>(path.size()),
                                                       oem.data(), static_cast<int>(oem.size()), nullptr, nullptr)));
    std::wstring w = wide(oem, CP_OEMCP);
    for (size_t i = 0, end = w.rfind(L'\\'); end != std::wstring::npos && i < end; ++i)
        w[i] = static_cast<wchar_t>(towupper(w[i]));
    return w;
}
std::wstring upper(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
    return s;
}
// A name no copy can bear: not valid UTF-8 on the Unix side (listed with U+FFFD), or with a
// character Windows forbids. Only the shell makes them.
bool odd(const std::wstring& name) { return name.find_first_of(L"\uFFFD:") != std::wstring::npos; }
// A path as a shell word: the name Windows shows with U+FFFD has the byte 0xFF there.
std::string word(const std::wstring& path) {
    std::string s = "'";
    for (wchar_t c : path) s += c == L'\uFFFD' ? "'$(printf '\\377')'" : test::narrow(std::wstring(1, c));
    return s + "'";
}
bool ascii(const std::wstring& s) {
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c < 128; });
}
// Names one file system entry would hold: letter case and trailing dots and blanks ignored.
std::wstring key(std::wstring n) {
    while (!n.empty() && (n.back() == L'.' || n.back() == L' ')) n.pop_back();
    for (wchar_t& c : n) c = static_cast<wchar_t>(towupper(c));
    return n;
}

// One generated job: its model, then the folders made from it.
class Tree {
public:
    Tree(unsigned seed, std::wstring root) : rnd_(seed), root_(std::move(root)), unix_root_(test::unix_path(root_)) {
        patterns = kPatterns[pick(std::size(kPatterns))];
        purge = chance(50);
        outside_ = {Node::Folder, L"outside"};
        outside_.kids = {{Node::File, L"o.txt", "outside", kBase}, {Node::Folder, L"od"}};
        fill(outside_.kids[1], 2);
        source_ = {Node::Folder, L"source"};
        fill(source_, 0);
        addLinks(source_);
        Node backup = mutate(source_, 0);
        backup.name = L"backup";
        CreateDirectoryW(root_.c_str(), nullptr);
        for (const Node* n : {&outside_, &source_, &backup}) make(*n, root_ + L"\\" + n->name, n->name, n->name);
    }
    std::wstring root() const { return root_; }
    std::string script() const {  // twins renamed deepest first, then the links
        std::string s;
        for (auto it = renames_.rbegin(); it != renames_.rend(); ++it) s += *it;
        return s + links_;
    }
    std::vector<std::wstring> patterns;
    bool purge = false;

private:
    int pick(size_t n) { return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(rnd_); }
    bool chance(int percent) { return pick(100) < percent; }
    static bool has(const Node& folder, const std::wstring& name) {
        return std::any_of(folder.kids.begin(), folder.kids.end(), [&](const Node& n) { return n.name == name; });
    }
    Node file(std::wstring name) {
        return {Node::File, std::move(name),
                std::string(static_cast<size_t>(pick(12)), static_cast<char>('a' + pick(26))),
                kBase + static_cast<std::uint64_t>(pick(1000)) * kSecond};
    }
    Node entry(std::wstring name, int depth) {
        if (depth > 2 || odd(name) || chance(65)) return file(std::move(name));
        Node f{Node::Folder, std::move(name)};
        fill(f, depth + 1);
        return f;
    }
    void fill(Node& folder, int depth) {
        for (int n = pick(6); n-- > 0;)
            if (std::wstring name = kNames[pick(std::size(kNames))]; !has(folder, name))
                folder.kids.push_back(entry(name, depth));
    }
    // A link of the backup: to the outside folder, to a file there, or nowhere.
    Node backupLink(std::wstring name) {
        const int r = pick(3);
        return {Node::Link, std::move(name), r == 0 ? "outside" : r == 1 ? "outside/o.txt" : "nowhere"};
    }
    // The source's links, in some of its folders: inside, out of it, back up, nowhere, to files.
    void addLinks(Node& folder) {
        for (Node& k : folder.kids)
            if (k.kind == Node::Folder) addLinks(k);
        if (!chance(45)) return;
        std::vector<std::wstring> in{L"source"};
        for (const Node* at = &source_; at->kind == Node::Folder && !at->kids.empty() && chance(60);) {
            at = &at->kids[static_cast<size_t>(pick(at->kids.size()))];
            in.push_back(at->name);
        }
        std::string down = "source";
        for (size_t i = 1; i < in.size(); ++i) down += "/" + test::narrow(in[i]);
        const struct {
            const wchar_t* name;
            std::string target;
            std::vector<std::wstring> to;
        } kinds[] = {{L"in", down, in},
                     {L"out", "outside", {L"outside"}},
                     {L"up", "..", {}},
                     {L"gone", "nowhere", {}},
                     {L"fo", "outside/o.txt", {L"outside", L"o.txt"}}};
        const auto& k = kinds[pick(std::size(kinds))];
        if (!has(folder, k.name)) folder.kids.push_back({Node::Link, k.name, k.target, 0, k.to});
    }
    const Node* find(const std::vector<std::wstring>& path) const {
        if (path.empty()) return nullptr;
        const Node* at = path[0] == L"source" ? &source_ : &outside_;
        for (size_t i = 1; i < path.size() && at; ++i) {
            const auto it =
                std::find_if(at->kids.begin(), at->kids.end(), [&](const Node& n) { return n.name == path[i]; });
            at = it == at->kids.end() ? nullptr : &*it;
        }
        return at;
    }
    // The backup as an earlier copy left it, and changed since: files changed in size or
    // time, entries gone, of the other kind or renamed in case, extras, and links of its own.
    Node mutate(const Node& s, int depth) {
        Node b{Node::Folder, s.name};
        for (const Node& c : s.kids) {
            const int r = pick(100);
            const size_t at = b.kids.size();
            const Node* was = c.kind == Node::Link ? find(c.to) : &c;
            if (was && was->kind == Node::Link) was = nullptr;
            if (r < 8 || (c.kind == Node::Link && r < 40)) continue;
            if (r < 12 || !was) b.kids.push_back(r < 12 ? backupLink(c.name) : entry(c.name, depth));
            else if (r < 18 && was->kind == Node::Folder) b.kids.push_back(file(c.name));
            else if (r < 18 && !odd(c.name)) {
                b.kids.push_back({Node::Folder, c.name});
                fill(b.kids.back(), depth + 1);
            } else if (was->kind == Node::Folder) {
                if (depth > 3) continue;
                b.kids.push_back(mutate(*was, depth + 1));
                b.kids.back().name = c.name;
            } else {
                Node f = *was;
                f.name = c.name;
                if (r < 30) f.data += "x";
                else if (r < 40) f.time += kSecond * static_cast<std::uint64_t>(1 + pick(3));
                b.kids.push_back(f);
            }
            if (b.kids.size() > at && pick(10) == 0) {
                std::wstring name = c.name;
                for (wchar_t& l : name) l = static_cast<wchar_t>(iswupper(l) ? towlower(l) : towupper(l));
                if (!has(b, name) && !has(s, name)) b.kids.back().name = name;
            }
        }
        while (chance(35))
            if (std::wstring name = chance(15) ? L"bl" : kNames[pick(std::size(kNames))]; !has(b, name))
                b.kids.push_back(name == L"bl" ? backupLink(name) : entry(name, depth + 1));
        return b;
    }
    // Made with Windows calls (exact names); a twin under a name of its own, renamed on the
    // Unix side, as are the links made; those in a folder the shell cannot name are left out.
    void make(const Node& folder, const std::wstring& win, const std::wstring& made, const std::wstring& final) {
        CreateDirectoryW((L"\\\\?\\" + win).c_str(), nullptr);
        std::set<std::wstring> keys;
        for (const Node& c : folder.kids) {
            const bool twin = !keys.insert(key(c.name)).second && c.kind != Node::Link,
                       shell = twin || odd(c.name) || c.kind == Node::Link;
            if (shell && !ascii(final + wide(c.data))) continue;
            const std::wstring as = twin ? L"tw" + std::to_wstring(++twins_) : c.name;
            const std::string to = c.data == ".." || c.data == "nowhere" ? c.data : unix_root_ + "/" + c.data;
            // Run backwards: a twin is renamed after what it holds, which is made under its first name.
            if (twin) renames_.push_back("mv " + word(made + L"/" + as) + " " + word(made + L"/" + c.name) + "; ");
            if (c.kind == Node::Link) links_ += "ln -s '" + to + "' " + word(final + L"/" + c.name) + "; ";
            else if (odd(c.name))
                renames_.push_back("printf '" + c.data + "' >" + word(made + L"/" + as) + "; touch -d @" +
                                   std::to_string(c.time / kSecond - 11644473600) + " " + word(made + L"/" + as) +
                                   "; ");
            else if (c.kind == Node::Folder) make(c, win + L"\\" + as, made + L"/" + as, final + L"/" + c.name);
            else {
                test::write_bytes(L"\\\\?\\" + win + L"\\" + as, c.data);
                test::set_write_time(L"\\\\?\\" + win + L"\\" + as, c.time);
            }
        }
    }

    std::mt19937 rnd_;
    std::wstring root_;
    std::string unix_root_;
    Node source_, outside_;
    std::vector<std::string> renames_;
    std::string links_;
    int twins_ = 0;
};

// Every entry below the trees' folder as the Unix side sees it, links not followed:
// "t3\backup\a.txt" -> kind, file number, size and time (where a link leads), content.
struct Seen {
    char kind = '?';
    std::string id, stamp, content;
    bool operator==(const Seen&) const = default;
};
using Snapshot = std::map<std::wstring, Seen>;
Snapshot snapshot(const std::wstring& trees) {
    const std::wstring list = trees + L".list";
    EXPECT_TRUE(test::unix_shell("cd " + test::sh_quote(trees) +
                                 " && find . -mindepth 1 -printf '%y\\t%i\\t%s %T@ %l\\t%P\\n' >" +
                                 test::sh_quote(list)));
    Snapshot shot;
    std::istringstream in(test::read_bytes(list));
    for (std::string kind, id, stamp, path; std::getline(in, kind, '\t') && std::getline(in, id, '\t') &&
                                            std::getline(in, stamp, '\t') && std::getline(in, path);) {
        std::wstring name = wide(path);
        std::replace(name.begin(), name.end(), L'/', L'\\');
        Seen& s = shot[name] = {kind[0], id, kind == "d" ? "" : stamp, ""};
        if (s.kind == 'f') s.content = test::read_bytes(L"\\\\?\\" + trees + L"\\" + name);
    }
    return shot;
}

std::string listed(const std::set<std::wstring>& paths) {
    std::string s;
    for (const auto& p : paths) s += "  " + test::narrow(p) + "\n";
    return s;
}

}  // namespace

// Generated trees with changed, removed and extra files, kinds swapped, case and
// trailing-dot twins, Unicode names, links of every kind in both trees, patterns and
// Remove: the copier replaces or removes exactly what the walk moves aside, and never
// touches what a link leads to. The test command's trees are the same each time;
// OSTREVIN_DIFFERENTIAL_TREES and _SEED ask for more, or others ("random" for new ones).
TEST(BackupRun, TheWalkAndTheCopierAgreeOnWhatTheCopyReplacesOrRemoves) {
    test::Sandbox box;
    const char* count = std::getenv("OSTREVIN_DIFFERENTIAL_TREES");
    const char* given = std::getenv("OSTREVIN_DIFFERENTIAL_SEED");
    const int trees = count ? std::atoi(count) : 200;
    const unsigned seed = !given                           ? 1u
                          : std::string(given) == "random" ? std::random_device{}()
                                                           : static_cast<unsigned>(std::strtoul(given, nullptr, 10));
    const std::wstring all = box.path(L"trees"), robocopy = system_file(L"robocopy.exe");
    test::make_dirs(all);
    constexpr int kBatch = 25;  // trees made, looked at and copied together: fewer shells
    for (int first = 0; first < trees; first += kBatch) {
        std::vector<std::unique_ptr<Tree>> batch;
        std::string script;
        for (int i = first; i < std::min(trees, first + kBatch); ++i) {
            batch.push_back(std::make_unique<Tree>(seed + static_cast<unsigned>(i), all + L"\\t" + std::to_wstring(i)));
            script += "cd " + test::sh_quote(batch.back()->root()) + " && " + batch.back()->script() + " true && ";
        }
        ASSERT_TRUE(test::unix_shell(script + "true"));
        const Snapshot before = snapshot(all);
        std::vector<run::AsidePlan> plans;
        std::vector<std::string> logs;
        for (const auto& t : batch) {
            const core::JobCopy copy{t->root() + L"\\source", t->root() + L"\\backup", L"backup", t->patterns};
            plans.push_back(run::plan_aside(copy, t->purge, false));
            test::Process copier(
                core::quoted(robocopy) + L" " +
                core::copy_arguments(copy, t->purge ? L" /E /PURGE /R:0 /W:0" : L" /E /R:0 /W:0", L""));
            DWORD code = 0;
            EXPECT_TRUE(copier.wait(60000, &code));
            logs.push_back("exit code " + std::to_string(code) + "\n" + copier.output());
        }
        const Snapshot after = snapshot(all);
        for (size_t n = 0; n < batch.size(); ++n) {
            const std::wstring top = L"t" + std::to_wstring(first + static_cast<int>(n)) + L"\\";
            const run::AsidePlan& plan = plans[n];
            std::set<std::wstring> moved, changed, touched, tree;
            // What the copier set out to remove and Wine refused counts as removed: its log's
            // extra lines and error lines (in the console's code page). What it left for the
            // patterns, it names in neither.
            std::set<std::wstring> extras, refused;
            std::istringstream log(logs[n]);
            const auto path_in = [](const std::string& line, size_t at) {
                return logged(wide(line.substr(at, line.find_last_not_of("\\\r") + 1 - at), CP_OEMCP));
            };
            for (std::string line; std::getline(log, line);) {
                if (batch[n]->purge && line.find("*EXTRA ") != std::string::npos)
                    extras.insert(path_in(line, line.rfind('\t') + 1));
                if (const size_t at = line.find(" Deleting Extra "); at != line.npos && line.find("ERROR ") < at)
                    refused.insert(upper(path_in(line, line.find(' ', at + 16) + 1)));
            }
            // The backup's folders that still hold what the patterns leave out, which no purge takes.
            std::set<std::wstring> holds;
            const core::Exclusions left_out = core::exclusions(batch[n]->root() + L"\\source", batch[n]->patterns);
            for (const auto& [path, seen] : after) {
                if (!path.starts_with(top + L"backup\\")) continue;
                const std::wstring name = path.substr(path.rfind(L'\\') + 1);
                const std::wstring in_source = all + L"\\" + top + L"source" + path.substr(top.size() + 6);
                const auto& patterns = seen.kind == 'f' ? left_out.files : left_out.folders;
                if (core::excluded(patterns, name, all + L"\\" + path) || core::excluded(patterns, name, in_source))
                    for (std::wstring up = path; up.size() > top.size() + 6; up.resize(up.rfind(L'\\'))) holds.insert(up);
            }
            const auto extra = [&](std::wstring path) {
                if (holds.contains(path)) return false;
                const std::wstring full = upper(logged(all + L"\\" + path));
                if (std::none_of(refused.begin(), refused.end(),
                                 [&](const std::wstring& r) { return r == full || r.starts_with(full + L"\\"); }))
                    return false;
                for (; path.size() > top.size() + 6; path.resize(path.rfind(L'\\')))
                    if (extras.contains(logged(all + L"\\" + path))) return true;
                return false;
            };
            for (const auto& [path, seen] : before) {
                if (!path.starts_with(top)) continue;
                tree.insert(path.substr(top.size()) + L"  " + wide(std::string(1, seen.kind) + " " + seen.stamp));
                const auto now = after.find(path);
                const bool gone = now == after.end() || now->second.kind != seen.kind || now->second.id != seen.id;
                if (!path.starts_with(top + L"backup\\")) {
                    if (gone || seen != now->second) touched.insert(path);
                    continue;
                }
                const std::wstring inside = path.substr(top.size() + 7);
                for (const std::wstring& m : plan.moves)
                    if (inside == m && seen.kind == 'l') touched.insert(L"a link planned to move: " + path);
                if (seen.kind == 'l') continue;  // the copy may remove a link as a link: not data
                if (gone || (seen.kind == 'f' && seen != now->second) || extra(path)) changed.insert(inside);
                for (const std::wstring& m : plan.moves)
                    if (inside == m || inside.starts_with(m + L"\\")) moved.insert(inside);
            }
            std::set<std::wstring> only_moved, only_changed;
            std::set_difference(moved.begin(), moved.end(), changed.begin(), changed.end(),
                                std::inserter(only_moved, only_moved.end()));
            std::set_difference(changed.begin(), changed.end(), moved.begin(), moved.end(),
                                std::inserter(only_changed, only_changed.end()));
            const Tree& t = *batch[n];
            EXPECT_TRUE(only_moved.empty() && only_changed.empty() && touched.empty() && plan.unlisted.empty())
                << "OSTREVIN_DIFFERENTIAL_SEED=" << seed + n + static_cast<unsigned>(first)
                << " OSTREVIN_DIFFERENTIAL_TREES=1 (tree " << first + static_cast<int>(n) << ")\npurge " << t.purge
                << ", patterns " << test::narrow(core::join_patterns(t.patterns)) << ", unlisted "
                << test::narrow(plan.unlisted) << "\nmoved aside, not changed by the copy:\n"
                << listed(only_moved) << "changed by the copy, not moved aside:\n"
                << listed(only_changed) << "touched outside the backup:\n"
                << listed(touched) << "the trees:\n"
                << listed(tree) << "walk moves:\n"
                << listed({plan.moves.begin(), plan.moves.end()}) << "copier: " << logs[n];
        }
        ASSERT_TRUE(test::unix_shell("rm -rf " + test::sh_quote(all) + "/t*"));  // a failed tree is printed
    }
}
