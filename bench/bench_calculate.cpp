// Timing of one "calculate" press in the real window on Qt's offscreen
// platform: the computation and the 26 field writes, with the change handlers
// that the changed input texts run. The window is created once; each press
// calls Button1Click directly (BM_clickSignal goes through the button's
// clicked signal and the handler's error guard instead). Repainting the
// changed fields is left to the event loop, which does not run while timing.
//
//   cmake --preset release && cmake --build --preset release --target bench_calculate
//   build/release/bench/bench_calculate
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "calculator.h"
#include "tform1.h"
#include "toolkit.h"

namespace {

TForm1* form = nullptr;

// Counts the field texts that change, and the runs of Edit8's change
// handler, while it lives.
class TextChanges {
public:
    TextChanges() {
        for (int edit = 1; edit <= 26; ++edit)
            connections_[edit - 1] = QObject::connect(
                form->editField(edit), &QLineEdit::textChanged, [this, edit] {
                    ++fields;
                    if (edit == 8)
                        ++ch;
                });
    }
    ~TextChanges() {
        for (const QMetaObject::Connection& connection : connections_)
            QObject::disconnect(connection);
    }
    TextChanges(const TextChanges&) = delete;
    TextChanges& operator=(const TextChanges&) = delete;

    void report(benchmark::State& state) const {
        state.counters["texts_changed"] = benchmark::Counter(fields, benchmark::Counter::kAvgIterations);
        state.counters["ch_handler_runs"] = benchmark::Counter(ch, benchmark::Counter::kAvgIterations);
    }

    double fields = 0;
    double ch = 0;

private:
    QMetaObject::Connection connections_[26];
};

// The defaults in every input, their results in every result field.
void startFromDefaults() {
    calculator::setDefaults(calculator::Memory);
    form->Restore(nullptr);
    form->Button1Click(nullptr);
}

// The bulk transfer coefficient alternates between 0.0012345 and 0.001 from
// press to press, as if typed in between (the working value is set directly,
// the field keeps the text of the last press). Every press then rewrites
// Edit8 (0.00123, then 0.00100), which runs its change handler, and 12
// result fields: 13 texts change a press.
template <class Press>
void pressWithChangingInputs(benchmark::State& state, Press press) {
    startFromDefaults();
    TextChanges changes;
    bool typed = false;
    for (auto _ : state) {
        typed = !typed;
        calculator::Work.ch = typed ? 0.0012345 : 0.001;
        press();
    }
    changes.report(state);
    if (changes.ch != double(state.iterations()))
        state.SkipWithError("Edit8's change handler did not run on every press");
}

void BM_Button1Click_changingInputs(benchmark::State& state) {
    pressWithChangingInputs(state, [] { form->Button1Click(nullptr); });
}
BENCHMARK(BM_Button1Click_changingInputs);

// The defaults pressed again: all 26 texts equal what the fields show, so
// no text is set and no change handler runs.
void BM_Button1Click_unchangedInputs(benchmark::State& state) {
    startFromDefaults();
    TextChanges changes;
    for (auto _ : state)
        form->Button1Click(nullptr);
    changes.report(state);
    if (changes.fields != 0.0 || form->Edit10->text() != QLatin1String("28.0"))
        state.SkipWithError("a press of the defaults changed a field");
}
BENCHMARK(BM_Button1Click_unchangedInputs);

// The same changing press through QPushButton::click(): the clicked signal,
// the handler's connection and its error guard.
void BM_clickSignal_changingInputs(benchmark::State& state) {
    pressWithChangingInputs(state, [] { form->Button1->click(); });
}
BENCHMARK(BM_clickSignal_changingInputs);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    toolkit::Application application(argc, argv);
    // A press that failed would be shown here; none of the inputs above fails.
    toolkit::setErrorPresenter([](const std::string& message) {
        qFatal("calculate failed: %s", message.c_str());
    });
    auto window = std::make_unique<TForm1>();
    window->show();
    QCoreApplication::processEvents();
    form = window.get();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
