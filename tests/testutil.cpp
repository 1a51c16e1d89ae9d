#include "testutil.h"

#include "catalogue/stockfile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace zt::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zt-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give back permissions that a test took away, so everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

CliRun runCli(const std::string& args, const std::string& stdoutTo) {
    // CTest names the program; run by hand, it sits beside the test binary.
    std::string cli;
    if (const char* env = std::getenv("ZT_CLI"))
        cli = env;
    else
        cli = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zutomelark-cli")
                  .string();
    TempDir tmp;
    const auto out = tmp / "out", err = tmp / "err";
    const std::string cmd =
        "'" + cli + "' " + args + " " + (stdoutTo.empty() ? ">'" + out.string() + "'" : stdoutTo) +
        " 2>'" + err.string() + "' </dev/null";
    const int rc = std::system(cmd.c_str());
    CliRun r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

void StockBuilder::files(FolderNode* folder, std::initializer_list<std::string_view> names) {
    for (auto f : names)
        tree.addFile(folder, f);
}

FolderNode* StockBuilder::root(std::string name, std::initializer_list<std::string_view> names) {
    FolderNode* n = tree.addRoot(std::move(name));
    files(n, names);
    return n;
}

FolderNode* StockBuilder::add(FolderNode* parent, std::string name,
                              std::initializer_list<std::string_view> names) {
    FolderNode* n = tree.addChild(parent, std::move(name));
    files(n, names);
    return n;
}

bool StockBuilder::write(const std::filesystem::path& dataDir, const std::string& name) const {
    return writeStockFile(dataDir / (name + ".dat"), tree);
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", tz, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (saved_)
        setenv("TZ", saved_->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

bool haveTool(const char* name) {
    const std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

namespace {
std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}
bool runTool(const std::string& cmd) {
    const int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
    if (rc != 0) std::fprintf(stderr, "failed: %s\n", cmd.c_str());
    return rc == 0;
}
} // namespace

bool makeImage(ImageKind kind, const std::filesystem::path& tree,
               const std::filesystem::path& image, const std::string& label) {
    const char* tool = kind == ImageKind::IsoRockRidgeJoliet ? "xorriso" : "genisoimage";
    if (!haveTool(tool)) return false;
    std::string cmd = kind == ImageKind::IsoRockRidgeJoliet
                          ? "xorriso -as mkisofs -quiet -J -R"
                          : "genisoimage -quiet -input-charset utf-8";
    if (kind == ImageKind::IsoJoliet) cmd += " -J -joliet-long";
    if (kind == ImageKind::HybridUdf) cmd += " -J -R -udf";
    return runTool(cmd + " -V " + label + " -o " + quoted(image) + " " + quoted(tree));
}

bool makeEmptyUdf(const std::filesystem::path& image, const std::string& revision,
                  const std::string& label) {
    if (!haveTool("mkudffs")) return false;
    { std::ofstream(image).put('\0'); }
    std::filesystem::resize_file(image, 4 << 20);
    return runTool("mkudffs -b 2048 --media-type=hd --udfrev=" + revision + " -l " + label + " " +
                   quoted(image));
}

} // namespace zt::test
