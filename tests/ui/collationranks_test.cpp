// Ranking texts for the working list's sorts: the order must be QCollator's case-insensitive
// order in the user's language, whatever the texts share at their start and however many there
// are (the keys of a long list are made on several threads).
#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>

#include "ui/collationranks.h"
#include "ui/runservice.h"

namespace sonvara {
namespace {

// Every pair of texts compares in their ranks as the collator compares them.
// A run service: the keys of a long list are made in parts on its threads.
void ExpectCollatorOrder(const QStringList& texts, const QLocale& locale,
                         CRunService* runs = nullptr) {
    const std::vector<long long> ranks = CollationRanks(texts, locale, runs);
    ASSERT_EQ(ranks.size(), static_cast<std::size_t>(texts.size()));
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> order(ranks.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(texts[a], texts[b]) < 0; });
    long long expected = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && collator.compare(texts[order[i - 1]], texts[order[i]]) != 0) {
            ++expected;
        }
        ASSERT_EQ(ranks[static_cast<std::size_t>(order[i])], expected)
            << "\"" << texts[order[i]].toStdString() << "\" at place " << i;
    }
}

const QStringList kHardTexts = {
    "",       "a",       "A",      "abba",    "ABBA",   "Abba ",  "a-ha", "a ha", "aha",
    "Ärzte",  "arzte",   "Arzte",  "Éclair",  "eclair", "ECLAIR", "ß",    "ss",   "SS",
    "straße", "strasse", "10cc",   "9 Lives", "1",      "01",     "z",    "Zz",   "Ω",
    "ω",      "日本",    "にほん", "(live)",  "[live]", "'til",   "til",  "  x",  "x  "};

TEST(CollationRanks, FollowTheCollatorInEnglishAndGermanAndForTheCLocale) {
    ExpectCollatorOrder(kHardTexts, QLocale(QLocale::English, QLocale::UnitedStates));
    ExpectCollatorOrder(kHardTexts, QLocale(QLocale::German, QLocale::Germany));
    ExpectCollatorOrder(kHardTexts, QLocale(QLocale::Swedish, QLocale::Sweden));  // ä after z
    EXPECT_TRUE(CollationRanks({}, QLocale()).empty());
    EXPECT_EQ(CollationRanks({"same", "SAME", "Same"}, QLocale()),
              (std::vector<long long>{0, 0, 0}));
}

TEST(CollationRanks, ALongListOfPathsWithOneFolderInCommonRanksLikeTheCollator) {
    // Long enough for the keys to be made on several threads; every path begins alike, many
    // differ only after the eighth byte of their keys past that, some only in letter case.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> length(0, 14);
    QStringList texts;
    for (int i = 0; i < 30000; ++i) {
        QString name = "/home/user/Music/Artist/Album/";
        const int n = length(rng);
        for (int k = 0; k < n; ++k) {
            const QChar c(u'a' + letter(rng));
            name += (k + i) % 5 == 0 ? c.toUpper() : c;
        }
        texts.append(name);
        if (i % 7 == 0) {
            texts.append(name.toUpper());
        }
    }
    CRunService runs(4);
    ExpectCollatorOrder(texts, QLocale(QLocale::English, QLocale::UnitedStates), &runs);
}

}  // namespace
}  // namespace sonvara
