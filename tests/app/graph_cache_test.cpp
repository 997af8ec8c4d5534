#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "app/Document.h"
#include "app/GraphCache.h"
#include "core/Progress.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

// 32-bit samples below 2^30 read back exactly as written.
std::unique_ptr<TAudioStream> StreamOf(const std::vector<std::vector<std::int32_t>>& channels) {
    auto stream =
        std::make_unique<TAudioStream>(static_cast<std::uint16_t>(channels.size()), 32, 44100);
    for (std::size_t c = 0; c < channels.size(); ++c) {
        stream->WriteSamples(static_cast<std::uint16_t>(c), 0,
                             static_cast<std::uint32_t>(channels[c].size()), channels[c].data());
    }
    return stream;
}

std::vector<std::int32_t> Random(std::size_t n, std::uint32_t seed, std::int32_t range = 1000000) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::int32_t> value(-range, range);
    std::vector<std::int32_t> v(n);
    for (auto& x : v) {
        x = value(rng);
    }
    return v;
}

// The build as the window's algorithm states it, one ReadSample per sample and the column
// ends in floating point: the block-wise build must give exactly these columns.
TChannelGraph Reference(TAudioStream& stream, std::uint16_t channel, std::uint32_t sampleCount,
                        std::uint32_t graphStart, std::uint32_t graphLength) {
    TChannelGraph columns(GraphColumns);
    if (sampleCount == 0) {
        return columns;
    }
    const bool perSample = graphLength < GraphColumns;
    const double perStep = perSample ? 327680.0 / graphLength : 1.0;
    double a = perStep;
    std::uint64_t k = 0;
    const std::uint64_t end = std::uint64_t{graphStart} + graphLength;
    TGraphColumn last;
    for (std::uint64_t s = graphStart; s < end;) {
        std::uint64_t e = s + 1;
        if (!perSample) {
            const double x = (static_cast<double>(k) + 1) * graphLength / 327680.0 + graphStart;
            e = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::nearbyint(x)), end);
        }
        std::int32_t max = 0;
        std::int32_t min = 0;
        std::uint64_t maxAt = 0;
        std::uint64_t minAt = 0;
        bool maxFound = false;
        bool minFound = false;
        for (std::uint64_t i = s; i < e; ++i) {
            std::int32_t v = 0;
            stream.ReadSample(channel, static_cast<std::uint32_t>(i), v);
            if (v >= max) {
                max = v, maxAt = i, maxFound = true;
            }
            if (v <= min) {
                min = v, minAt = i, minFound = true;
            }
        }
        if (!maxFound) {
            max = min, maxAt = minAt;
        }
        if (!minFound) {
            min = max, minAt = maxAt;
        }
        const TGraphColumn column = maxAt < minAt ? TGraphColumn{max, min} : TGraphColumn{min, max};
        for (int n = 0; n < static_cast<int>(std::trunc(a)) && k < GraphColumns; ++n) {
            columns[k++] = column;
        }
        a = a - std::trunc(a) + perStep;
        s = e;
        last = column;
    }
    if (perSample) {
        // The fractions add up to the whole cache; a sum that falls short in doubles still
        // ends with the last sample.
        std::fill(columns.begin() + static_cast<std::ptrdiff_t>(k), columns.end(), last);
    }
    return columns;
}

// Lengths of the runs of equal columns from the start.
std::vector<int> RunLengths(const TChannelGraph& columns, std::size_t runs) {
    std::vector<int> lengths;
    std::size_t k = 0;
    while (lengths.size() < runs && k < columns.size()) {
        std::size_t j = k;
        while (j < columns.size() && columns[j] == columns[k]) {
            ++j;
        }
        lengths.push_back(static_cast<int>(j - k));
        k = j;
    }
    return lengths;
}

using GraphCacheTest = test::TStreamTest;

TEST_F(GraphCacheTest, ThousandSampleCacheSpreadsEachSampleOverFractionalColumns) {
    std::vector<std::int32_t> samples(1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = (i % 2 == 0 ? 1 : -1) * static_cast<std::int32_t>(i + 1);
    }
    auto stream = StreamOf({samples});
    const TChannelGraph columns = BuildChannelGraph(*stream, 0, 1000, 0, 1000);

    EXPECT_EQ(RunLengths(columns, 4), (std::vector<int>{327, 328, 328, 327}));
    // A single sample is held as (v, v); the positive and the negative one alike.
    EXPECT_EQ(columns[0], (TGraphColumn{1, 1}));
    EXPECT_EQ(columns[327], (TGraphColumn{-2, -2}));
    // The fractions add up to the whole cache: the last column holds the last sample.
    EXPECT_EQ(columns[GraphColumns - 1], (TGraphColumn{-1000, -1000}));
    EXPECT_EQ(columns, Reference(*stream, 0, 1000, 0, 1000));
}

TEST_F(GraphCacheTest, LastColumnHoldsTheLastSampleWhenTheFractionsFallShort) {
    // 327680 / 11 summed eleven times in doubles comes to just under 327680.
    auto stream = StreamOf({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}});
    const TChannelGraph columns = BuildChannelGraph(*stream, 0, 11, 0, 11);
    EXPECT_EQ(columns[GraphColumns - 1], (TGraphColumn{11, 11}));
    EXPECT_EQ(columns[GraphColumns - 29000], (TGraphColumn{11, 11}));
    EXPECT_EQ(columns[GraphColumns - 30000], (TGraphColumn{10, 10}));
}

TEST_F(GraphCacheTest, ShortCachesMatchTheSampleBySampleBuildAcrossReadBlocks) {
    const auto samples = Random(200000, 1);
    auto stream = StreamOf({samples});
    for (const auto& [start, length] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {0, 1}, {5, 3}, {70000, 1000}, {1234, 100000}, {0, 200000}, {1, 199999}}) {
        SCOPED_TRACE(testing::Message() << start << "+" << length);
        EXPECT_EQ(BuildChannelGraph(*stream, 0, 200000, start, length),
                  Reference(*stream, 0, 200000, start, length));
    }
}

TEST_F(GraphCacheTest, LongCachesGatherTheirColumnsLikeTheSampleBySampleBuild) {
    const auto samples = Random(800000, 2);
    auto stream = StreamOf({samples});
    // Exactly one sample per column, a fractional count (ties in the column ends included),
    // an offset start, and the whole document.
    for (const auto& [start, length] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {0, 327680}, {1000, 491520}, {17, 400000}, {0, 800000}, {99999, 700001}}) {
        SCOPED_TRACE(testing::Message() << start << "+" << length);
        EXPECT_EQ(BuildChannelGraph(*stream, 0, 800000, start, length),
                  Reference(*stream, 0, 800000, start, length));
    }
}

TEST_F(GraphCacheTest, FewDistinctValuesGiveTheSameTiesAsTheSampleBySampleBuild) {
    // Values from -2 to 2 (and runs of one sign): equal extremes in nearly every column.
    std::vector<std::int32_t> samples = Random(700000, 9, 2);
    std::fill(samples.begin() + 1000, samples.begin() + 5000, 1);
    std::fill(samples.begin() + 9000, samples.begin() + 12000, -1);
    auto stream = StreamOf({samples});
    for (const std::uint32_t length : {700000u, 600000u, 100000u}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(BuildChannelGraph(*stream, 0, 700000, 0, length),
                  Reference(*stream, 0, 700000, 0, length));
    }
}

TEST_F(GraphCacheTest, ColumnsHoldTheirExtremesInTimeOrder) {
    // Three samples per column; the columns under test start at column 10.
    std::vector<std::int32_t> samples(std::size_t{3} * GraphColumns);
    const std::vector<std::vector<std::int32_t>> cases = {
        {5, -3, 9},    // mixed, minimum first
        {9, -3, 5},    // mixed, maximum first
        {4, 7, 2},     // positive only: its maximum twice
        {-4, -7, -2},  // negative only: its minimum twice
        {5, -3, 5},    // the last of equal maxima wins: it follows the minimum
        {-3, 5, -3},   // the last of equal minima wins
        {0, 4, 1},     // zero counts as a minimum
        {0, 0, 0},
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        std::copy(cases[n].begin(), cases[n].end(), samples.begin() + 3 * (10 + n));
    }
    auto stream = StreamOf({samples});
    const TChannelGraph columns =
        BuildChannelGraph(*stream, 0, 3 * GraphColumns, 0, 3 * GraphColumns);

    const std::vector<TGraphColumn> expected = {{-3, 9}, {9, -3}, {7, 7}, {-7, -7},
                                                {-3, 5}, {5, -3}, {0, 4}, {0, 0}};
    for (std::size_t n = 0; n < expected.size(); ++n) {
        EXPECT_EQ(columns[10 + n], expected[n]) << "case " << n;
    }
}

TEST_F(GraphCacheTest, NothingToReadLeavesEveryColumnAtZero) {
    auto stream = StreamOf({Random(5000, 3)});
    const TChannelGraph zeros(GraphColumns);
    EXPECT_EQ(BuildChannelGraph(*stream, 0, 0, 0, 5000), zeros);  // empty document
    EXPECT_EQ(BuildChannelGraph(*stream, 0, 5000, 0, 0), zeros);  // empty cache range
    // Past the channel's end the samples read as 0.
    const TChannelGraph beyond = BuildChannelGraph(*stream, 0, 5000, 4000, 2000);
    EXPECT_NE(beyond[0], (TGraphColumn{}));
    EXPECT_EQ(beyond[GraphColumns - 1], (TGraphColumn{}));
    EXPECT_EQ(beyond, Reference(*stream, 0, 5000, 4000, 2000));
}

TEST_F(GraphCacheTest, ProgressRunsToTheCacheLengthAndEnds) {
    auto stream = StreamOf({Random(150000, 4)});
    ProgressPosition = 12345;
    (void)BuildChannelGraph(*stream, 0, 150000, 100, 140000);
    EXPECT_EQ(ProgressTotal.load(), 140000u);
    EXPECT_EQ(ProgressPosition.load(), 140000u);
    EXPECT_FALSE(Processing.load());
}

TEST_F(GraphCacheTest, BuildGraphSizesTheCacheToTheChannelsAndBuildsEach) {
    TDocument document(StreamOf({Random(3000, 5), Random(3000, 6), Random(3000, 7)}));
    document.GraphStart = 100;
    document.GraphLength = 2000;
    TGraphCache graph;
    graph.Resize(1);
    BuildGraph(document, graph);
    TGraphSnapshot snapshot = graph.Snapshot();
    ASSERT_EQ(snapshot.size(), 3u);
    for (std::uint16_t c = 0; c < 3; ++c) {
        EXPECT_EQ(*snapshot[c], Reference(*document.Stream, c, 3000, 100, 2000));
    }

    document.Stream->DeleteChannel(1);
    BuildGraph(document, graph);
    EXPECT_EQ(graph.ChannelCount(), 2u);
    // A paint's snapshot keeps the arrays it took.
    EXPECT_EQ(snapshot.size(), 3u);
    EXPECT_EQ(*graph.Snapshot()[1], *snapshot[2]);
}

TEST_F(GraphCacheTest, ResizeKeepsBuiltChannelsAndAddsZeroOnes) {
    TGraphCache graph;
    graph.Resize(1);
    auto built = std::make_shared<const TChannelGraph>(GraphColumns, TGraphColumn{1, 2});
    graph.Publish(0, built);
    graph.Publish(5, built);  // a channel that no longer exists is ignored
    graph.Resize(2);
    const TGraphSnapshot snapshot = graph.Snapshot();
    ASSERT_EQ(snapshot.size(), 2u);
    EXPECT_EQ(snapshot[0], built);
    EXPECT_EQ(*snapshot[1], TChannelGraph(GraphColumns));
}

TEST_F(GraphCacheTest, GraphThreadClearsItsFlagAlsoWhenTheBuildFails) {
    TDocument document(StreamOf({Random(1000, 8)}));
    TGraphCache graph;
    document.Stream->ChannelCount = 2;  // a channel without a file: the read throws
    EXPECT_ANY_THROW(RunGraphThread(document, graph));
    EXPECT_FALSE(document.GraphBuilding.load());
    document.Stream->ChannelCount = 1;
}

TEST_F(GraphCacheTest, PaintsDuringARebuildSeeEachChannelWhole) {
    // Channel values are constant, so every column of a consistent array is equal.
    TDocument document(
        StreamOf({std::vector<std::int32_t>(400000, 7), std::vector<std::int32_t>(400000, -9)}));
    TGraphCache graph;
    BuildGraph(document, graph);

    std::atomic<bool> done{false};
    std::atomic<int> paints{0};
    std::thread painter([&] {
        while (!done.load()) {
            const TGraphSnapshot snapshot = graph.Snapshot();
            for (const auto& channel : snapshot) {
                const TGraphColumn first = channel->front();
                for (const TGraphColumn& column : *channel) {
                    ASSERT_EQ(column, first);
                }
            }
            ++paints;
        }
    });
    for (int round = 0; round < 4; ++round) {
        document.GraphLength = round % 2 == 0 ? 400000 : 350000;
        document.Stream->ChannelCount == 2 ? document.Stream->AddChannel()
                                           : document.Stream->DeleteChannel(2);
        std::thread builder([&] { RunGraphThread(document, graph); });
        builder.join();
    }
    while (paints.load() < 3) {
        std::this_thread::yield();
    }
    done = true;
    painter.join();
    EXPECT_FALSE(document.GraphBuilding.load());
}

}  // namespace
}  // namespace sonavel
