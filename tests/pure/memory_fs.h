#pragma once
// An in-memory file system behind file_system_ops, blind to letter case like the real one, with
// folder links that may lead anywhere, loops included.

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/programs_tree.h"

namespace test {

class memory_fs {
public:
    // A file, or with a trailing "\" a folder; missing folders along the path are made too.
    void add(const std::string& path) { make(path); }
    // A link at path that leads to the existing folder target.
    void add_link(const std::string& path, const std::string& target) { nodes_[make(path + "\\")].link = resolve(target); }

    file_system_ops ops() { return {enumerate, probe, identify, this}; }

    bool reverse_listings = false;
    int enumerations = 0;
    int identifications = 0;

private:
    struct node {
        std::string name;
        bool folder;
        std::vector<int> children;
        int link = -1;  // the node a link leads to
    };

    static std::vector<std::string> parts(const std::string& path)
    {
        std::vector<std::string> result(1);
        for (char c : path) {
            if (c != '\\')
                result.back() += c;
            else if (!result.back().empty())
                result.emplace_back();
        }
        if (result.back().empty())
            result.pop_back();
        return result;
    }
    int target(int n) const { return nodes_[n].link >= 0 ? nodes_[n].link : n; }
    int child(int parent, const std::string& name) const
    {
        for (int c : nodes_[parent].children)
            if (compare_paths(nodes_[c].name, name) == 0)
                return c;
        return -1;
    }
    int resolve(const std::string& path) const
    {
        int n = 0;
        for (const std::string& part : parts(path)) {
            int c = nodes_[n].folder ? child(n, part) : -1;
            if (c < 0)
                return -1;
            n = target(c);
        }
        return n;
    }
    int make(const std::string& path)
    {
        int n = 0;
        std::vector<std::string> names = parts(path);
        for (std::size_t i = 0; i < names.size(); ++i) {
            int next = child(n, names[i]);
            if (next < 0) {
                next = static_cast<int>(nodes_.size());
                nodes_.push_back({names[i], i + 1 < names.size() || path.back() == '\\', {}});
                nodes_[n].children.push_back(next);
            }
            n = i + 1 < names.size() ? target(next) : next;
        }
        return n;
    }

    static int enumerate(void* context, const std::string& folder, std::vector<directory_entry>* entries)
    {
        auto* fs = static_cast<memory_fs*>(context);
        ++fs->enumerations;
        entries->clear();
        int n = fs->resolve(folder);
        if (n < 0 || !fs->nodes_[n].folder)
            return -1;
        *entries = {{".", true}, {"..", true}};
        std::vector<int> children = fs->nodes_[n].children;
        if (fs->reverse_listings)
            std::reverse(children.begin(), children.end());
        for (int c : children)
            entries->push_back({fs->nodes_[c].name, fs->nodes_[fs->target(c)].folder, fs->nodes_[c].link >= 0});
        return 0;
    }
    static int64_t probe(void* context, const std::string& path)
    {
        auto* fs = static_cast<memory_fs*>(context);
        int n = fs->resolve(path);
        return n < 0 ? probe_nothing : fs->nodes_[n].folder ? probe_folder : 100;
    }
    static bool identify(void* context, const std::string& folder, folder_identity* identity)
    {
        auto* fs = static_cast<memory_fs*>(context);
        ++fs->identifications;
        int n = fs->resolve(folder);
        *identity = {7, static_cast<uint64_t>(n)};
        return n >= 0;
    }

    std::vector<node> nodes_ = {{"", true, {}}};
};

}  // namespace test
