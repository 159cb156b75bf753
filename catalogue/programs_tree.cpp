// Placeholder until the tree builder lands.
#include "catalogue/programs_tree.h"

std::string extension_part(std::string_view) { return ""; }
int compare_paths(std::string_view, std::string_view) { return 0; }
void sort_paths(path_list*) {}
void remove_adjacent_duplicates(path_list*) {}
programs_tree build_programs_tree(const file_system_ops&, const programs_roots&) { return {}; }
pass_signature watcher_pass(const file_system_ops&, const programs_roots&) { return {}; }
