// Speed of the text operations on a large mixed text and of address cleaning.
//
//   ./build/bench/RulesBench [--text_file=FILE] [benchmark flags]
//
// --text_file runs the text operations on that UTF-8 file instead of the
// built-in 200,000-character sample (bench/text_ops_vs_python.py uses it to
// compare with Python on the very same text).
#include "core/BrimTextOperation.h"
#include "core/BrimURL.h"

#include <QFile>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

QString textFile;

// 200,000 code points of Latin with accents, CJK, emoji, tabs, runs of
// spaces and line breaks of all three kinds.
QString sampleText()
{
    const QStringList pieces = {
        QStringLiteral("The"), QStringLiteral("quick"), QStringLiteral("brown"), QStringLiteral("fox"),
        QStringLiteral("Straße"), QStringLiteral("ÉCOLE"), QStringLiteral("naïve"), QStringLiteral("crème"),
        QStringLiteral("brûlée"), QStringLiteral("Ελληνικά"), QStringLiteral("ΟΔΟΣ"), QStringLiteral("Ärger"),
        QStringLiteral("漢字"), QStringLiteral("東京都"), QStringLiteral("かな"), QStringLiteral("한국어"),
        QStringLiteral("🙂"), QStringLiteral("👍🏽"), QStringLiteral("🇩🇪"), QStringLiteral("ǆemal"),
        QStringLiteral("İstanbul"), QStringLiteral("ﬁsh"), QStringLiteral("e\u0301te\u0301"),
    };
    const QStringList gaps = {
        QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("\t"),
        QStringLiteral(" \t "), QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\u00A0"),
        QStringLiteral("\u3000"), QStringLiteral(" \n  "),
    };
    std::mt19937 random(42);
    QString text;
    qsizetype codePoints = 0;
    auto add = [&](const QString &part) {
        for (qsizetype i = 0; i < part.size() && codePoints < 200000; ++i) {
            text += part[i];
            if (!part[i].isHighSurrogate())
                ++codePoints;
        }
    };
    while (codePoints < 200000) {
        add(pieces[random() % pieces.size()]);
        add(gaps[random() % gaps.size()]);
    }
    if (text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

const QString &benchText()
{
    static const QString text = [] {
        if (textFile.isEmpty())
            return sampleText();
        QFile file(textFile);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(textFile));
        return QString::fromUtf8(file.readAll());
    }();
    return text;
}

void TextOperation(benchmark::State &state)
{
    const BrimTextOperation operation = BrimTextOperation::allCases()[std::size_t(state.range(0))];
    const QString &text = benchText();
    state.SetLabel(operation.rawValue().toStdString());
    for (auto _ : state) {
        QString out = operation.apply(text);
        // Touch the result so a shared copy (plain) is not all that is measured.
        benchmark::DoNotOptimize(out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(TextOperation)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

QStringList sampleAddresses()
{
    std::mt19937 random(7);
    auto pick = [&](std::initializer_list<const char *> options) {
        return QString::fromUtf8(*(options.begin() + random() % options.size()));
    };
    QStringList addresses;
    addresses.reserve(100000);
    for (int n = 0; n < 100000; ++n) {
        QString text = pick({"https://", "http://", "HTTPS://"});
        text += pick({"example.com", "www.shop.example.co.uk", "news.example.org:8443", "b\u00FCcher.de",
                      "[2001:db8::1]", "cdn.example.net"});
        text += pick({"/", "/article/2026/12/06/a-long-headline-about-things", "/p/12345", "/search",
                      "/%C3%A4/b%20c", ""});
        if (random() % 5 != 0) {
            text += u'?';
            const int items = 1 + int(random() % 6);
            for (int i = 0; i < items; ++i) {
                if (i > 0)
                    text += u'&';
                text += pick({"utm_source", "utm_medium", "utm_campaign", "fbclid", "gclid", "id", "q", "page",
                              "ref", "lang", "X-Amz-Signature", "sort"});
                text += u'=';
                text += pick({"newsletter", "1", "IwAR0abcDEF123", "caf%C3%A9", "a+b", "x%26y"});
            }
        }
        if (random() % 4 == 0)
            text += pick({"#top", "#section-2", "#"});
        addresses.append(text);
    }
    return addresses;
}

void URLClean(benchmark::State &state)
{
    static const QStringList addresses = sampleAddresses();
    for (auto _ : state) {
        qsizetype kept = 0;
        for (const QString &address : addresses) {
            const Result<QString, BrimURLError> cleaned = BrimURL::clean(address);
            kept += cleaned.ok() ? cleaned.value().size() : 0;
        }
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * addresses.size());
}
BENCHMARK(URLClean)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Take our own flag out before the library sees the arguments.
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--text_file=", 12) == 0)
            textFile = QString::fromLocal8Bit(argv[i] + 12);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
