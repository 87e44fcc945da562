// Switching the palette toolbar between two palettes of 55 buttons, as on every item the user
// opens (offscreen window system; buttons labelled, no strips).
#include <QApplication>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>

#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"

namespace {

void BM_SwitchPalettes(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "palette_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("palette_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream h(dir / "handlers.txt");
        for (int i = 0; i < 55; ++i) {
            h << 33000 + i << " send - \"W" << i << " \" | \"Word " << i << "\" \"Word " << i
              << "\"\n";
        }
        std::ofstream p(dir / "palettes.txt");
        for (int id : {178, 216}) {
            p << id << " 24x24";
            for (int i = 0; i < 55; ++i) p << ' ' << 33000 + i;
            p << '\n';
        }
    }
    frontend::UsePaletteFolder(dir.string());
    QToolBar bar;
    bar.show();
    frontend::PaletteToolbarWnd = &bar;
    for (auto _ : state) {
        frontend::ShowPalette(178);
        frontend::ShowPalette(216);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 2);
    frontend::PaletteToolbarWnd = nullptr;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SwitchPalettes)->Unit(benchmark::kMillisecond);

}  // namespace
