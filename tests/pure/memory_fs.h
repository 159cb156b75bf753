#pragma once
// An in-memory file system behind file_system_ops, blind to letter case like the real one, with
// folder links that may lead anywhere, loops included.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/programs_tree.h"

namespace test {

class memory_fs {
public:
    // A file of that size and last-write time, or with a trailing "\" a folder; missing folders
    // along the path are made too.
    void add(const std::string& path, uint64_t size = 0, uint64_t written = 0)
    {
        node& made = nodes_[find(path, true)];
        made.size = size;
        made.written = written;
    }
    // A link at path that leads to the existing folder target.
    void add_link(const std::string& path, const std::string& target)
    {
        nodes_[find(path + "\\", true)].link = find(target, false);
    }

    file_system_ops ops() { return {enumerate, identify, this}; }

    bool reverse_listings = false;
    int enumerations = 0;
    int identifications = 0;

private:
    struct node {
        std::string name;
        bool folder;
        std::vector<int> children;
        int link = -1;  // the node a link leads to
        uint64_t size = 0, written = 0;
    };

    int target(int n) const { return nodes_[n].link >= 0 ? nodes_[n].link : n; }
    // The node at path, -1 when there is none. make creates what is missing, and returns a link
    // itself rather than where it leads, so that add_link can set it.
    int find(const std::string& path, bool make)
    {
        std::vector<std::string> names;
        std::istringstream in(path);
        for (std::string name; std::getline(in, name, '\\');)
            if (!name.empty())
                names.push_back(name);
        int n = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::vector<int>& children = nodes_[n].children;
            auto c = std::find_if(children.begin(), children.end(),
                                  [&](int c) { return compare_paths(nodes_[c].name, names[i]) == 0; });
            int next = c == children.end() ? -1 : *c;
            if (!make && (next < 0 || !nodes_[n].folder))
                return -1;
            if (next < 0) {
                next = static_cast<int>(nodes_.size());
                nodes_[n].children.push_back(next);
                nodes_.push_back({names[i], i + 1 < names.size() || path.back() == '\\', {}});
            }
            n = make && i + 1 == names.size() ? next : target(next);
        }
        return n;
    }

    static int enumerate(void* context, const std::string& folder, std::vector<directory_entry>* entries)
    {
        auto* fs = static_cast<memory_fs*>(context);
        ++fs->enumerations;
        entries->clear();
        int n = fs->find(folder, false);
        if (n < 0 || !fs->nodes_[n].folder)
            return -1;
        *entries = {{".", true}, {"..", true}};
        std::vector<int> children = fs->nodes_[n].children;
        if (fs->reverse_listings)
            std::reverse(children.begin(), children.end());
        for (int c : children)
            entries->push_back({fs->nodes_[c].name, fs->nodes_[fs->target(c)].folder, fs->nodes_[c].link >= 0,
                                fs->nodes_[c].size, fs->nodes_[c].written});
        return 0;
    }
    static bool identify(void* context, const std::string& folder, folder_identity* identity)
    {
        auto* fs = static_cast<memory_fs*>(context);
        ++fs->identifications;
        int n = fs->find(folder, false);
        *identity = {7, static_cast<uint64_t>(n)};
        return n >= 0;
    }

    std::vector<node> nodes_ = {{"", true, {}}};
};

}  // namespace test
