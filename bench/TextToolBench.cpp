// The text tool at its limit of 200,000 characters: the model's output after
// each operation (goal: under 5 ms), what an edit costs when the text has
// more code units than the limit (its characters must then be counted), and
// the text view taking a pasted 200,000-character token without spaces.
#include "bench/BenchMain.h"
#include "core/UnicodeText.h"
#include "models/BrimTextModel.h"
#include "shell/BrimTextView.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBoundaryFinder>
#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype limit = BrimTextModel::characterLimit;

// `line` repeated and cut to exactly `characters` user-perceived characters.
QString repeatedTo(const QString &line, qsizetype characters)
{
    QString text;
    while (text.size() < characters * 2)
        text += line;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype i = 0; i < characters; ++i)
        finder.toNextBoundary();
    return text.left(finder.position());
}

// Mixed prose: runs of spaces and tabs, line edges to trim, letters that grow
// when upper-cased, accents, CR LF line ends.
QString prose()
{
    return repeatedTo(QString::fromUtf8("  Straße und Ärger\tim  Café, naïve façade — ok   \r\n"), limit);
}

void BM_TextOutput(benchmark::State &state)
{
    BrimTextModel model(nullptr);
    model.setInput(prose());
    const BrimTextOperation operation = BrimTextOperation::allCases().at(std::size_t(state.range(0)));
    model.setOperation(operation);
    state.SetLabel(operation.rawValue().toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(model.output());
}
BENCHMARK(BM_TextOutput)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// 200,000 characters in 2,200,000 code units (a family emoji is eleven): an
// edit counts them all to tell whether the limit is kept.
void BM_TextEditOfEmoji(benchmark::State &state)
{
    const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const QString texts[] = {family.repeated(limit), u'a' + family.repeated(limit - 1)};
    BrimTextModel model(nullptr);
    int round = 0;
    for (auto _ : state) {
        model.setInput(texts[round++ % 2]);
        benchmark::DoNotOptimize(model.isOverLimit());
    }
}
BENCHMARK(BM_TextEditOfEmoji)->Unit(benchmark::kMillisecond);

// Paste of a token with no break opportunity (base64, a long link) into the view.
void BM_TextViewShowsLongToken(benchmark::State &state)
{
    BrimTextModel model(nullptr);
    BrimTextView view(model);
    view.resize(330, 480);
    view.show();
    const QString token(limit, u'x');
    for (auto _ : state) {
        model.setInput(token);
        QCoreApplication::processEvents();
        state.PauseTiming();
        model.setInput(QString());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TextViewShowsLongToken)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return runBenchmarks<QApplication>(argc, argv); }
