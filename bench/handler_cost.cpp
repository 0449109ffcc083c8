// What a click costs against its floor: the same property writes through the
// forms layer, with the same values in the same order, but without the
// handler's reading back, converting and change handling.
//
// Each scenario is a cycle of clicks that ends where it started. Before the
// benchmarks run, every cycle is played once on the main window while a write
// observer records each write; the floor benchmark replays those writes on a
// second main window whose shift labels have no change handling. Both windows
// are shown (offscreen), so every changed value schedules its repaint in both.
#include "app/program.h"
#include "forms/application.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using forms::Label;
using forms::Property;

namespace {

struct Write
{
    std::string name;
    std::int16_t index;
    Property property;
    std::u16string caption;
    forms::Color color;
    std::int16_t alignment;
};

struct Recorder : forms::WriteObserver
{
    std::vector<Write>* into = nullptr;
    void written(const forms::Control& control, Property property) override
    {
        if (into == nullptr || control.kind() != forms::ControlKind::Label)
            return;
        const auto& label = static_cast<const Label&>(control);
        into->push_back({std::string(control.name()), control.index(), property, label.Caption(),
                         label.ForeColor(), label.Alignment()});
    }
};

void apply(Label& label, const Write& write)
{
    switch (write.property) {
    case Property::Caption:
        label.setCaption(write.caption);
        break;
    case Property::ForeColor:
        label.setForeColor(write.color);
        break;
    case Property::Alignment:
        label.setAlignment(write.alignment);
        break;
    }
}

// A recorded write, bound to the label of the window it is replayed on.
struct Replay
{
    Label* label;
    const Write* write;
};

void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The two windows every scenario works on.
struct Windows
{
    ui::MainWindow main;                   // runs the handlers
    ui::MainWindow floor;                  // takes the replayed writes
    forms::Form bareHelp{ui::kHelpLayout}; // the help layout without its handlers

    Windows()
    {
        main.Show();
        floor.Show();
        for (const char* name : {"ud_1", "ud_2", "ud_3"})
            floor.label(name).Change = nullptr;
        QCoreApplication::processEvents();
    }
};

Windows* windows = nullptr;

struct Scenario
{
    const char* name;
    int period;                     // clicks in one cycle
    std::function<void(int)> click; // the k-th click of the cycle
    bool help = false;              // replays on the bare help window, loaded anew each time
    std::vector<std::vector<Write>> writes = {}; // per click of the cycle
    std::vector<std::vector<Replay>> bound = {}; // the same, bound to the floor window
};

void record(Scenario& scenario)
{
    ui::MainWindow& main = windows->main;
    forms::Form* observed = &main;
    if (scenario.help) {
        // The help window's writes go to its own instance: make it exist first.
        main.help_pb_Click();
        main.helpWindow()->Unload();
        processDeletes();
        observed = main.helpWindow();
    }
    Recorder recorder;
    observed->setWriteObserver(&recorder);
    scenario.writes.resize(static_cast<std::size_t>(scenario.period));
    for (int k = 0; k < scenario.period; ++k) {
        recorder.into = &scenario.writes[static_cast<std::size_t>(k)];
        scenario.click(k);
    }
    observed->setWriteObserver(nullptr);
    if (scenario.help)
        return;
    for (const auto& writes : scenario.writes) {
        auto& bound = scenario.bound.emplace_back();
        for (const Write& write : writes)
            bound.push_back(
                {static_cast<Label*>(windows->floor.find(write.name, write.index)), &write});
    }
}

void runHandler(benchmark::State& state, Scenario* scenario)
{
    int k = 0;
    for (auto _ : state) {
        scenario->click(k);
        k = (k + 1) % scenario->period;
    }
    // Finish the cycle untimed, so that the next run starts where the recording did.
    for (; k != 0; k = (k + 1) % scenario->period)
        scenario->click(k);
    QCoreApplication::processEvents();
}

void replay(const Scenario& scenario, int k)
{
    for (const Replay& r : scenario.bound[static_cast<std::size_t>(k)])
        apply(*r.label, *r.write);
}

void runFloor(benchmark::State& state, Scenario* scenario)
{
    if (scenario->help) {
        // The window operations of an opening and a closing, and the caption writes.
        forms::Form& bare = windows->bareHelp;
        for (auto _ : state) {
            bare.Show();
            bare.SetFocus();
            Label& label = bare.label("Label1");
            for (const Write& write : scenario->writes.front())
                apply(label, write);
            bare.Unload();
            processDeletes();
        }
        return;
    }
    int k = 0;
    for (auto _ : state) {
        replay(*scenario, k);
        k = (k + 1) % scenario->period;
    }
    for (; k != 0; k = (k + 1) % scenario->period)
        replay(*scenario, k);
    QCoreApplication::processEvents();
}

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv)
{
    // The offscreen platform warns on every raise(); those lines are not the handler's work.
    qInstallMessageHandler(dropMessages);
    forms::Application application(argv[0], marelo::programIdentity());
    Windows both;
    windows = &both;
    conversion::KeyTable& table = both.main.keyTable();

    // A click that changes nothing visible must cost no repaint: count the paint
    // events a reset of the start state causes, in either window.
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return QObject::eventFilter(watched, event);
        }
    } counter;
    for (int n = 0; n < 3; ++n)
        QCoreApplication::processEvents();
    qApp->installEventFilter(&counter);
    QCoreApplication::processEvents();
    const int idlePaints = counter.paints;
    counter.paints = 0;
    table.reset_Click();
    QCoreApplication::processEvents();
    const int resetPaints = counter.paints;
    counter.paints = 0;
    table.up_1_Click();
    QCoreApplication::processEvents();
    const int shiftPaints = counter.paints;
    table.reset_Click();
    QCoreApplication::processEvents();
    qApp->removeEventFilter(&counter);
    std::printf("paint events: idle %d, reset_Click in the start state %d, up_1_Click %d\n",
                idlePaints, resetPaints, shiftPaints);
    std::fflush(stdout);

    std::vector<Scenario> scenarios;
    scenarios.push_back({"up_1_Click", 12, [&](int) { table.up_1_Click(); }});
    scenarios.push_back({"dn_3_Click", 12, [&](int) { table.dn_3_Click(); }});
    scenarios.push_back(
        {"org_Click", 24, [&](int k) { table.org_Click(static_cast<std::int16_t>(k % 12)); }});
    scenarios.push_back({"reset_Click", 1, [&](int) { table.reset_Click(); }});
    scenarios.push_back({"help_open_close", 1,
                         [&](int) {
                             both.main.help_pb_Click();
                             both.main.helpWindow()->Unload();
                             processDeletes();
                         },
                         true});
    for (Scenario& scenario : scenarios) {
        record(scenario);
        benchmark::RegisterBenchmark((std::string(scenario.name) + "/handler").c_str(), runHandler,
                                     &scenario);
        benchmark::RegisterBenchmark((std::string(scenario.name) + "/floor").c_str(), runFloor,
                                     &scenario);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
