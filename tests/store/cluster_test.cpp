// Clusters of near-identical values: each method on known groups, and the
// merge of a cluster as one step that undoes and replays.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/Replay.h"
#include "store/cluster/ClusterKeys.h"
#include "store/cluster/ClusterMerge.h"
#include "store/cluster/Clustering.h"
#include "tests/store/StoreFixture.h"

using cluster::Method;
using Groups = std::vector<std::vector<std::string>>;

namespace {

// The members of each cluster in their order; the clusters sorted, so that a
// case need not restate the order of clusters.
Groups groupsOf(const cluster::Result& result)
{
    Groups groups;
    for (const cluster::Cluster& c : result.clusters) {
        groups.emplace_back();
        for (const cluster::Member& m : c.members)
            groups.back().push_back(m.value);
        EXPECT_EQ(c.suggested, c.members.front().value);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

} // namespace

TEST(Cluster, EachMethodFindsItsKnownGroups)
{
    const std::vector<cluster::Counted> names = {
        {"Anna Müller", 5}, {"anna muller", 2}, {"Müller, Anna", 1}, {"  ANNA \t MÜLLER ", 1},
        {"Bob", 3}, {"bob.", 1}, {"Bobby", 1},
        {"José", 3}, {"Jose\xCC\x81", 1}, {"JOSE", 1}, {"Łódź", 2}, {"Lodz", 1},
        {"Caf\xE9", 2}, {"CAF\xE9", 1}, {"café", 1}, // Latin-1 bytes meet only each other
        {"-", 4}, {"?", 1}, // no letters, no key
        {"New York", 4}, {"NewYork", 1}, {"new-york", 1},
        {"Meier", 6}, {"Mayr", 1}, {"Meyer", 2}, {"Schmidt", 3}, {"Schmitt", 1}, {"Mueller", 1},
        {"Jonathan", 5}, {"Jonathon", 1}, {"Jonatan", 1}, {"Jonathans", 1}, {"Jonothon", 1},
        {"ab", 2}, {"ac", 1}, // too short to be near anything
    };
    const struct {
        const char* name;
        cluster::Options options;
        Groups expected;
    } cases[] = {
        {"fingerprint: case, spaces, accents, punctuation, token order", {Method::Fingerprint},
         {{"Anna Müller", "anna muller", "  ANNA \t MÜLLER ", "Müller, Anna"}, {"Bob", "bob."},
          {"Caf\xE9", "CAF\xE9"}, {"José", "JOSE", "Jose\xCC\x81"}, {"Łódź", "Lodz"}, {"NewYork", "new-york"}}},
        {"2-grams: spaces go as well, word order stays", {Method::Ngram, 2},
         {{"Anna Müller", "anna muller", "  ANNA \t MÜLLER "}, {"Bob", "bob."}, {"Caf\xE9", "CAF\xE9"},
          {"José", "JOSE", "Jose\xCC\x81"}, {"Łódź", "Lodz"}, {"New York", "NewYork", "new-york"}}},
        {"1-grams: the same letters in any order", {Method::Ngram, 1},
         {{"Anna Müller", "anna muller", "  ANNA \t MÜLLER ", "Müller, Anna"}, {"Bob", "bob."},
          {"Caf\xE9", "CAF\xE9"}, {"Jonathan", "Jonathon"}, {"José", "JOSE", "Jose\xCC\x81"}, {"Łódź", "Lodz"},
          {"New York", "NewYork", "new-york"}}},
        {"Cologne phonetics, word by word; letters only, so short words meet", {Method::Phonetic},
         {{"Anna Müller", "anna muller", "  ANNA \t MÜLLER "}, {"Bob", "Bobby", "bob."},
          {"Caf\xE9", "CAF\xE9", "café"}, {"Jonathan", "Jonatan", "Jonathon", "Jonothon"},
          {"José", "JOSE", "Jose\xCC\x81", "ac"}, {"Łódź", "Lodz"}, {"Meier", "Meyer", "Mayr"}, {"NewYork", "new-york"},
          {"Schmidt", "Schmitt"}}},
        {"nearest, radius 1: one edit from the most frequent, no chain beyond", {Method::Nearest, 2, 1},
         {{"Jonathan", "Jonatan", "Jonathans", "Jonathon"}, {"Meier", "Meyer"}, {"New York", "NewYork"},
          {"Schmidt", "Schmitt"}}},
        {"nearest, radius 2: two edits", {Method::Nearest, 2, 2},
         {{"Jonathan", "Jonatan", "Jonathans", "Jonathon", "Jonothon"}, {"Meier", "Meyer"}, {"New York", "NewYork"},
          {"Schmidt", "Schmitt"}}},
    };
    for (const auto& c : cases) {
        Groups expected = c.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(groupsOf(cluster::clusterValues(names, c.options)), expected) << c.name;
    }
}

TEST(Cluster, KeysFollowTheirRules)
{
    const struct {
        std::string key, expected;
    } cases[] = {
        {cluster::fingerprint("  Tom's  café, TOM "), "cafe tom toms"},
        {cluster::fingerprint("Ærø Straße\x01"), "aero strasse"},
        {cluster::ngramFingerprint("Paris", 2), "arispari"},
        {cluster::ngramFingerprint("ab", 3), "ab"},
        {cluster::colognePhonetic("Wikipedia"), "3412"},
        {cluster::colognePhonetic("Müller-Lüdenscheidt"), "65752682"},
        {cluster::colognePhonetic("Christoph Xaver"), "47823 4837"},
        {cluster::colognePhonetic("Anna 42"), "06"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.key, c.expected);
    std::vector<cluster::Unit> a, b;
    cluster::unitsOf("kitten", a);
    cluster::unitsOf("sitting", b);
    EXPECT_EQ(cluster::boundedLevenshtein(a, b, 3), 3);
    EXPECT_EQ(cluster::boundedLevenshtein(a, b, 2), 3) << "beyond the limit: limit + 1";
    cluster::unitsOf("Zoë", a);
    cluster::unitsOf("Zoe", b);
    EXPECT_EQ(cluster::boundedLevenshtein(a, b, 1), 1) << "by code points, not bytes";
}

class ClusterMergeTest : public StoreTest {};

TEST_F(ClusterMergeTest, MergeIsOneStepThatUndoesAndReplays)
{
    const char* const text = "Id,City\r\n1,Paris\r\n2,paris\r\n3,PARIS\r\n4,Rome\r\n5,Roma\r\n6,paris\r\n";
    load(text);
    const std::vector<cluster::Edit> edits = {
        {"paris", "Paris"}, {"PARIS", "Paris"}, {"Roma", "Rome"}, {"Oslo", "Bergen"}, {"Rome", "Rome"}};
    EXPECT_EQ(cluster::mergeValues(m_store, 2, edits), 4) << "into Paris and Rome, which are there already";
    const std::vector<std::string> merged = {"Paris", "Paris", "Paris", "Rome", "Rome", "Paris"};
    EXPECT_EQ(column(2), merged);
    EXPECT_EQ(m_store.UndoName(), "Cluster and Edit");
    const StepOperation operation = m_store.StepHistory().lastDone()->operation();
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(column(2), (std::vector<std::string>{"Paris", "paris", "PARIS", "Rome", "Roma", "paris"}));
    EXPECT_FALSE(m_store.CanUndo()) << "one step";
    ASSERT_TRUE(m_store.Redo());
    EXPECT_EQ(column(2), merged);

    // Again from its data, on a file whose columns stand elsewhere.
    CSVDBS other;
    other.FileName(m_dir.file("other.csv", "City,Id\r\nparis,1\r\nRoma,2\r\nOslo,3\r\n"));
    ASSERT_TRUE(other.LoadFile());
    replay::run(other, operation);
    EXPECT_EQ(other.ValueAt(1, 1), "Paris");
    EXPECT_EQ(other.ValueAt(2, 1), "Rome");
    EXPECT_EQ(other.ValueAt(3, 1), "Bergen");
    EXPECT_EQ(other.UndoName(), "ClusterEdit");

    const std::uint64_t position = m_store.StepHistory().position();
    EXPECT_EQ(cluster::mergeValues(m_store, 2, {{"Lima", "Quito"}}), 0);
    EXPECT_EQ(m_store.StepHistory().position(), position) << "a merge that changes nothing is no step";
}

TEST_F(ClusterMergeTest, EditListKeepsAnyBytesAndRefusesOthers)
{
    load("A\r\na\r\n");
    const std::vector<cluster::Edit> edits = {{"", "3:x"}, {"a\r\nb,\"c\"", "12"}, {"\xFF\xFE", ""}};
    const std::vector<cluster::Edit> back = cluster::decodeEdits(cluster::encodeEdits(edits));
    ASSERT_EQ(back.size(), edits.size());
    for (std::size_t i = 0; i < edits.size(); ++i) {
        EXPECT_EQ(back[i].from, edits[i].from);
        EXPECT_EQ(back[i].to, edits[i].to);
    }
    for (const char* bad : {"3:ab", "x:a1:b", "1:a", "1:a1:b1", ":a0:"})
        EXPECT_THROW(cluster::decodeEdits(bad), std::invalid_argument) << bad;
    EXPECT_THROW(replay::run(m_store, {"ClusterEdit", {{"field", "1"}, {"edits", "1:a"}}}), replay::ReplayError);
    EXPECT_EQ(column(1), std::vector<std::string>{"a"});
}
