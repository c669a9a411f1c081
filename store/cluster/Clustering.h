#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Progress.h"

class CSVDBS;

// Finds clusters of near-identical values in one column: spellings of the
// same thing that differ by case, spaces, accents, punctuation, word order,
// sound or a typo or two. A cluster has two distinct values at least, each
// with the number of records that hold it, the most frequent first; the most
// frequent is the suggested new value of them all.
namespace cluster {

enum class Method {
    Fingerprint, // equal fingerprints (see ClusterKeys.h)
    Ngram,       // equal n-gram fingerprints
    Phonetic,    // equal Cologne phonetics
    Nearest,     // Levenshtein distance within a radius
};

struct Options {
    Method method = Method::Fingerprint;
    int ngram = 2;  // 1 to 3
    int radius = 1; // 1 to 3, for Nearest
};

struct Member {
    std::string value;
    std::int64_t count = 0;
};

struct Cluster {
    std::vector<Member> members; // most frequent first; equal counts by bytes
    std::string suggested;       // the most frequent value
    std::int64_t rows = 0;       // records holding any of them
};

struct Result {
    std::vector<Cluster> clusters; // the most values first, then the most rows
    std::size_t distinct = 0;      // distinct non-empty values in the column
    bool cancelled = false;        // `cancel` said stop; no clusters then
};

// A column's distinct values and how many records hold each.
struct Counted {
    std::string_view value;
    std::int64_t count = 0;
};

// The distinct non-empty values of field `field` (1-based), each a view into
// the store, in the order of their first record.
std::vector<Counted> countValues(const CSVDBS& store, int field);

// Clusters `values` (distinct). `progress` is ticked over the values, and
// `cancel`, if given, is asked every few thousand of them.
//
// Nearest neighbour compares a value only with those that share a deletion
// variant with it (what is left after taking out up to `radius` of its
// characters), never with every other value; values of fewer than 2 *
// radius + 1 characters take no part, since at that distance a value is
// near anything as short. Its clusters form around the most frequent values
// first: each takes those of its neighbours no cluster has yet, so that a
// chain of near values does not run into one cluster.
Result clusterValues(const std::vector<Counted>& values, const Options& options,
                     const ProgressCallback& progress = {}, const std::function<bool()>& cancel = {});

// countValues then clusterValues, through the store's progress callback.
Result findClusters(const CSVDBS& store, int field, const Options& options,
                    const std::function<bool()>& cancel = {});

} // namespace cluster
