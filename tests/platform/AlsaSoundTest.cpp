#include "platform/AlsaSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

TEST(AlsaSoundTest, ToneSamplesAreA700HertzSineOfTheAskedLength)
{
    const QList<qint16> samples = AlsaSound::sineSamples(700, 500, 48000);
    ASSERT_EQ(samples.size(), 24000);

    // A sine crosses zero twice per period: 700 periods in 0.5 s.
    int crossings = 0;
    for (qsizetype i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    }
    EXPECT_NEAR(crossings, 700, 2);

    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_GT(*high, 8000);
    EXPECT_LT(*low, -8000);
}

TEST(AlsaSoundTest, ToneFadesInAndOutWithoutAClick)
{
    const QList<qint16> samples = AlsaSound::sineSamples(700, 500, 48000);
    EXPECT_EQ(samples.front(), 0);
    EXPECT_LT(std::abs(samples.back()), 50);
    EXPECT_LT(std::abs(samples[10]), 400);
}

TEST(AlsaSoundTest, EmptyAndNegativeDurationsGiveNoSamplesAndReturn)
{
    EXPECT_TRUE(AlsaSound::sineSamples(700, 0).isEmpty());
    EXPECT_TRUE(AlsaSound::sineSamples(700, -5).isEmpty());
    AlsaSound sound;
    sound.tone(700, 0);
    sound.tone(700, -10);
}
