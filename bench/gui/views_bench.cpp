// The window's two big lists against plain Qt: sorting 10,000 search results
// by path (the results model against QStandardItemModel::sort) and showing a
// folder of 100,000 files (the folder browser against a QStringListModel in a
// default QListView). Prints the median of a few runs of each and the ratio.
#include "catalogue/foldertree.h"
#include "gui/common/appearance.h"
#include "gui/common/iconcache.h"
#include "gui/common/workrunner.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/search/resultsmodel.h"
#include "platform/datadir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace zt;

namespace {

constexpr int kRuns = 5;
constexpr int kResults = 10'000;
constexpr int kFiles = 100'000;

const char* const kStems[] = {"写真", "しゃしん", "シャシン", "report", "Report", "データ",
                              "ﾃﾞｰﾀ", "議事録",   "README",   "song",   "ＡＢＣ", "img_"};
const char* const kKinds[] = {".txt", ".JPG", ".jpg", ".pdf", ".mp3",
                              ".cpp", ".h",   ".zip", "",     ".docx"};

std::string randomName(std::mt19937& rng) {
    return std::string(kStems[rng() % std::size(kStems)]) + std::to_string(rng() % 1'000'000) +
           kKinds[rng() % std::size(kKinds)];
}

double medianMs(const std::function<double()>& run) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<SearchHit> makeHits() {
    std::mt19937 rng(7);
    std::vector<SearchHit> hits(kResults);
    for (SearchHit& h : hits) {
        h.name = randomName(rng);
        h.stock = kStems[rng() % std::size(kStems)];
        h.parent = FolderChain(FolderChain(FolderChain(), randomName(rng)), randomName(rng));
        h.size = rng();
    }
    return hits;
}

double resultsModelSort(const std::vector<SearchHit>& hits) {
    ResultsModel model(nullptr);
    std::vector<std::unique_ptr<ResultRow>> rows;
    for (const SearchHit& h : hits)
        rows.push_back(ResultsModel::makeRow(h, 2));
    model.addRows(std::move(rows));
    QElapsedTimer t;
    t.start();
    model.sortBy(ResultSortKey::Path);
    return t.nsecsElapsed() / 1e6;
}

double plainQtSort(const std::vector<SearchHit>& hits) {
    QStandardItemModel model(0, 5);
    for (const SearchHit& h : hits) {
        const ResultCells c = makeCells(h);
        QList<QStandardItem*> row;
        for (const std::string* s : {&c.name, &c.path, &c.size, &c.created, &c.modified})
            row << new QStandardItem(QString::fromStdString(*s));
        model.appendRow(row);
    }
    QElapsedTimer t;
    t.start();
    model.sort(1);
    return t.nsecsElapsed() / 1e6;
}

// Runs events until the view has laid out and painted its first screen.
void settle(QListView& view) {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    view.viewport()->repaint();
}

double folderBrowserShow(const FolderTree& tree, const IconCache& icons) {
    QWidget window;
    WorkRunner runner(&window);
    auto* pane = new FolderBrowserPane(&icons, &runner, &window);
    window.resize(900, 600);
    pane->resize(900, 600);
    window.show();
    FolderTree copy;
    FolderNode* top = copy.addRoot("big");
    for (const FileRecord* f = tree.root()->firstFile; f; f = f->next)
        copy.addFile(top, f->name());
    pane->setTree(std::move(copy));
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    pane->selectFolder(pane->tree().root(), false);
    while (runner.busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle(*pane->findChild<QListView*>(QStringLiteral("contentsView")));
    return t.nsecsElapsed() / 1e6;
}

double plainListViewShow(const FolderTree& tree) {
    QStringList names;
    for (const FileRecord* f = tree.root()->firstFile; f; f = f->next)
        names << QString::fromUtf8(f->name().data(), qsizetype(f->name().size()));
    QListView view;
    QStringListModel model;
    view.setModel(&model);
    view.resize(900, 600);
    view.show();
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    model.setStringList(names);
    settle(view);
    return t.nsecsElapsed() / 1e6;
}

void report(const char* what, double ours, double plain) {
    std::printf("%-44s %9.1f ms   plain Qt %9.1f ms   ratio %.2f\n", what, ours, plain,
                ours / plain);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setupAppearance(app);

    const std::vector<SearchHit> hits = makeHits();
    report("sort 10,000 results by path", medianMs([&] { return resultsModelSort(hits); }),
           medianMs([&] { return plainQtSort(hits); }));

    FolderTree tree;
    FolderNode* top = tree.addRoot("big");
    std::mt19937 rng(42);
    for (int i = 0; i < kFiles; ++i)
        tree.addFile(top, randomName(rng));
    // The shipped file-type table, as the program loads it.
    QTemporaryDir dataDir;
    const std::filesystem::path data = std::filesystem::path(dataDir.path().toStdString()) / "Data";
    IconCache icons;
    if (seedDataDir(data)) icons.load(data);
    report("show a folder of 100,000 files",
           medianMs([&] { return folderBrowserShow(tree, icons); }),
           medianMs([&] { return plainListViewShow(tree); }));
    return 0;
}
