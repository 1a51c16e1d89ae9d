// The size map of a stock of 1,000,000 files: the folder totals (made once
// per stock) and the layout and drawing of the stock's top at 1200 x 800, as
// the window's worker makes it. Prints the median of a few runs.
#include "browser/foldersizes.h"
#include "gui/common/appearance.h"
#include "gui/common/iconcache.h"
#include "gui/panes/sizes/sizemapdraw.h"
#include "platform/datadir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

using namespace zt;

namespace {

constexpr int kRuns = 5;
const char* const kKinds[] = {".txt", ".JPG", ".jpg", ".pdf",  ".mp3", ".cpp",
                              ".h",   ".zip", "",     ".docx", ".png", ".iso"};

// 99 folders of 100 folders of 100 files, and 10,000 files at the top; sizes
// spread over six orders of magnitude, as on a real drive.
FolderTree makeStock() {
    std::mt19937_64 rng(11);
    std::lognormal_distribution<double> size(9.0, 2.5);
    FolderTree tree;
    FolderNode* root = tree.addRoot("Drive");
    const auto file = [&](FolderNode* in, int i) {
        tree.addFile(in, "file" + std::to_string(i) + kKinds[rng() % std::size(kKinds)])->size =
            uint64_t(std::min(size(rng), 1e11));
    };
    for (int a = 0; a < 99; ++a) {
        FolderNode* outer = tree.addChild(root, "folder" + std::to_string(a));
        for (int b = 0; b < 100; ++b) {
            FolderNode* inner = tree.addChild(outer, "sub" + std::to_string(b));
            for (int f = 0; f < 100; ++f)
                file(inner, f);
        }
    }
    for (int f = 0; f < 10'000; ++f)
        file(root, f);
    return tree;
}

// The median of a few runs, in milliseconds of wall time and of this
// thread's processor time (the second stays near true on a loaded machine).
struct Timing {
    double wall = 0, cpu = 0;
};

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

Timing median(const std::function<void()>& run) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        const double c0 = threadCpuMs();
        t.start();
        run();
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - c0);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void report(const char* what, const Timing& t) {
    std::printf("%-44s %7.1f ms wall, %7.1f ms processor\n", what, t.wall, t.cpu);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setupAppearance(app);
    // The shipped file-type table, as the program loads it.
    QTemporaryDir dir;
    const std::filesystem::path data = std::filesystem::path(dir.path().toStdString()) / "Data";
    IconCache icons;
    if (seedDataDir(data)) icons.load(data);

    const FolderTree tree = makeStock();
    std::printf("stock: %zu files in %d folders\n", tree.fileCount(), tree.folderCount());
    FolderSizes sizes;
    report("folder totals (once per stock):", median([&] { sizes = FolderSizes(tree); }));
    size_t laid = 0;
    MapLook look;
    look.header = QFontMetrics(app.font()).height() + 2;
    report("layout alone:", median([&] {
               laid = layoutSizeMap(*tree.root(), sizes, {0, 0, 1200, 800}, look).size();
           }));
    MapPicture picture;
    const auto imageOf = [&icons](std::string_view name) { return icons.imageIndexOf(name); };
    report("layout + draw of the top at 1200 x 800:", median([&] {
               picture = drawSizeMap(*tree.root(), sizes, QSize(1200, 800), app.font(), imageOf);
           }));
    std::printf("%zu tiles (%zu without the drawing); target 300 ms\n", picture.tiles.size(), laid);
    return 0;
}
