// The reference for reading a UDF image: the least a lister built on
// libudfread does — every folder opened, every entry's name, every file's
// size — printed as "size path" lines. image_bench.sh times the capture of an
// image against it.
//
//   udf_lister IMAGE
#include <udfread/udfread.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void list(UDFDIR* dir, const std::string& path) {
    udfread_dirent entry;
    std::vector<std::string> folders;
    while (udfread_readdir(dir, &entry)) {
        const std::string name = entry.d_name;
        if (name == "." || name == "..") continue;
        if (entry.d_type == UDF_DT_DIR) {
            std::printf("0 %s/%s/\n", path.c_str(), name.c_str());
            folders.push_back(name);
        } else if (UDFFILE* f = udfread_file_openat(dir, name.c_str())) {
            std::printf("%lld %s/%s\n", (long long)udfread_file_size(f), path.c_str(), name.c_str());
            udfread_file_close(f);
        }
    }
    for (const std::string& name : folders)
        if (UDFDIR* child = udfread_opendir_at(dir, name.c_str())) {
            list(child, path + "/" + name);
            udfread_closedir(child);
        }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    udfread* udf = udfread_init();
    if (!udf || udfread_open(udf, argv[1]) < 0) return 1;
    UDFDIR* root = udfread_opendir(udf, "/");
    if (!root) return 1;
    list(root, "");
    udfread_closedir(root);
    udfread_close(udf);
    return 0;
}
