// Code page conversions at the sizes of a large project: 100,000 captions
// or cells of a dozen characters, one at a time as the board file and the
// readers convert them, and a 1 MB text file converted whole.
#include "formats/CodePage.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Strings = 100000;

struct Sample {
    int codePage;
    const char16_t* text;
};

const Sample kSamples[] = {
    {1252, u"Pump Größe 12"},
    {1251, u"Насос номер 12"},
    {932, u"ポンプ 第12号"},
};

void BM_EncodeStrings(benchmark::State& state)
{
    const Sample& sample = kSamples[state.range(0)];
    const QString text = QString::fromUtf16(sample.text);
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (int i = 0; i < Strings; ++i)
            bytes += CodePage::encode(text, sample.codePage)->size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetLabel("code page " + std::to_string(sample.codePage));
}
BENCHMARK(BM_EncodeStrings)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_DecodeStrings(benchmark::State& state)
{
    const Sample& sample = kSamples[state.range(0)];
    const QByteArray bytes = *CodePage::encode(QString::fromUtf16(sample.text), sample.codePage);
    for (auto _ : state) {
        qsizetype characters = 0;
        for (int i = 0; i < Strings; ++i)
            characters += CodePage::decode(bytes, sample.codePage).size();
        benchmark::DoNotOptimize(characters);
    }
    state.SetLabel("code page " + std::to_string(sample.codePage));
}
BENCHMARK(BM_DecodeStrings)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A 1 MB table file of Cyrillic cells under Windows-1251, and the same text
// under Windows-1252, where it is written in UTF-8.
void BM_TextFileOneMegabyte(benchmark::State& state)
{
    const int before = CodePage::system();
    CodePage::setSystem(int(state.range(0)));
    QString text;
    while (text.size() < 1024 * 1024)
        text += QStringLiteral("Насос номер 12\r\n");
    for (auto _ : state) {
        const QByteArray bytes = CodePage::encodeTextFile(text);
        benchmark::DoNotOptimize(CodePage::decodeTextFile(bytes).size());
    }
    CodePage::setSystem(before);
}
BENCHMARK(BM_TextFileOneMegabyte)->Arg(1251)->Arg(1252)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
