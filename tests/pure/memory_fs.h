#pragma once
// An in-memory file system behind file_system_ops, blind to letter case like the real one, with
// folder links (junctions) that may lead anywhere, loops included.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/programs_tree.h"

namespace test {

class memory_fs {
public:
    memory_fs() { nodes_.push_back({"", true, 0, {}, -1}); }

    // Every missing folder along path is made too.
    void add_folder(const std::string& path) { make(path, true, 0); }
    void add_file(const std::string& path, int64_t size = 100) { make(path, false, size); }
    // A folder entry at path that leads to the folder at target.
    void add_link(const std::string& path, const std::string& target)
    {
        int node = make(path, true, 0);
        nodes_[node].link = resolve(target);
    }
    void remove(const std::string& path)
    {
        int parent = resolve(parent_of(path));
        auto& children = nodes_[parent].children;
        for (std::size_t i = 0; i < children.size(); ++i)
            if (same_name(nodes_[children[i]].name, last_part(path)))
                children.erase(children.begin() + static_cast<std::ptrdiff_t>(i));
    }
    void rename(const std::string& path, const std::string& new_name)
    {
        int parent = resolve(parent_of(path));
        nodes_[child(parent, last_part(path))].name = new_name;
    }
    // The folder or file that path leads to, links followed; -1 when there is none.
    int node_of(const std::string& path) const { return resolve(path); }
    // Lists every folder's entries in the opposite order from now on.
    void reverse_listings(bool reverse) { reverse_ = reverse; }

    file_system_ops ops() { return {enumerate, probe, identify, this}; }

    int enumerations = 0;
    int identifications = 0;

private:
    struct node {
        std::string name;
        bool folder;
        int64_t size;
        std::vector<int> children;
        int link;  // the node a link leads to, else -1
    };

    static bool same_name(std::string_view a, std::string_view b)
    {
        return compare_paths(a, b) == 0;
    }
    static std::vector<std::string> parts(const std::string& path)
    {
        std::vector<std::string> result;
        std::string part;
        for (char c : path + "\\") {
            if (c != '\\') {
                part += c;
            } else if (!part.empty()) {
                result.push_back(part);
                part.clear();
            }
        }
        return result;
    }
    static std::string parent_of(const std::string& path)
    {
        std::string trimmed = path;
        while (!trimmed.empty() && trimmed.back() == '\\')
            trimmed.pop_back();
        return trimmed.substr(0, trimmed.find_last_of('\\') + 1);
    }
    static std::string last_part(const std::string& path) { return parts(path).back(); }

    int target(int node) const { return nodes_[node].link >= 0 ? nodes_[node].link : node; }
    int child(int parent, const std::string& name) const
    {
        for (int c : nodes_[parent].children)
            if (same_name(nodes_[c].name, name))
                return c;
        return -1;
    }
    int resolve(const std::string& path) const
    {
        int node = 0;
        for (const std::string& part : parts(path)) {
            if (!nodes_[node].folder)
                return -1;
            node = child(node, part);
            if (node < 0)
                return -1;
            node = target(node);
        }
        return node;
    }
    int make(const std::string& path, bool folder, int64_t size)
    {
        int node = 0;
        std::vector<std::string> names = parts(path);
        for (std::size_t i = 0; i < names.size(); ++i) {
            int next = child(node, names[i]);
            if (next < 0) {
                bool last = i + 1 == names.size();
                next = static_cast<int>(nodes_.size());
                nodes_.push_back({names[i], last ? folder : true, last ? size : 0, {}, -1});
                nodes_[node].children.push_back(next);
            }
            node = target(next);
        }
        return node;
    }

    static int enumerate(void* context, const std::string& folder, std::vector<directory_entry>* entries)
    {
        auto* self = static_cast<memory_fs*>(context);
        ++self->enumerations;
        entries->clear();
        int node = self->resolve(folder);
        if (node < 0 || !self->nodes_[node].folder)
            return -1;
        entries->push_back({".", true});
        entries->push_back({"..", true});
        std::vector<int> children = self->nodes_[node].children;
        if (self->reverse_)
            std::reverse(children.begin(), children.end());
        for (int c : children)
            entries->push_back({self->nodes_[c].name, self->nodes_[self->target(c)].folder, self->nodes_[c].link >= 0});
        return 0;
    }
    static int64_t probe(void* context, const std::string& path)
    {
        auto* self = static_cast<memory_fs*>(context);
        int node = self->resolve(path);
        if (node < 0)
            return probe_nothing;
        return self->nodes_[node].folder ? probe_folder : self->nodes_[node].size;
    }
    static bool identify(void* context, const std::string& folder, folder_identity* identity)
    {
        auto* self = static_cast<memory_fs*>(context);
        ++self->identifications;
        int node = self->resolve(folder);
        if (node < 0)
            return false;
        *identity = {7, static_cast<uint64_t>(node)};
        return true;
    }

    std::vector<node> nodes_;
    bool reverse_ = false;
};

}  // namespace test
