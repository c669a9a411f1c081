#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QFrame>

#include "store/profile/ColumnProfile.h"

class CSVDBS;
class QLabel;
class QPushButton;
class QTreeWidget;

// View > Column Profile: what the current column holds, beside the grid.
// The profile is worked out on other threads after every step and shown
// when done; a new step, or another column, stops the work under way, so
// typing and scrolling never wait for it.
class ProfilePanel final : public QFrame {
    Q_OBJECT

public:
    enum class Fix { TrimSpaces, CollapseSpaces, RemoveUnprintable, ConsistentCase };

    ProfilePanel(QWidget* parent, const CSVDBS& store);
    ~ProfilePanel() override;

    // Profiles field `field` (1-based) headed `heading`, from scratch.
    void showColumn(int field, const QString& heading);
    // The store changed: the same column again.
    void refresh();
    // Stops the work under way and waits for it: the store is about to change.
    void stop();
    int field() const { return m_field; }
    // No value is chosen any more, and nothing is told: every row shows.
    void clearFacets();
    // The profile shown, once one is.
    const std::optional<ColumnProfile>& profile() const { return m_profile; }

    // The user chose values in the facet list (none: show every row again).
    std::function<void(int field, std::vector<std::string> values)> onFacet;
    std::function<void(int field, Fix fix)> onFix;

private:
    void start();
    void showProfile(ColumnProfile profile, std::uint64_t generation);
    void showNothing(const QString& why);
    void facetsChosen();

    const CSVDBS& m_store;
    int m_field = 0;
    QString m_heading;
    std::optional<ColumnProfile> m_profile;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::uint64_t m_generation = 0;

    QLabel* m_title;
    QLabel* m_counts;
    QWidget* m_types;
    QWidget* m_histogram;
    QLabel* m_range;
    QTreeWidget* m_facets;
    QLabel* m_more;
    QPushButton* m_showAll;
    std::vector<QPushButton*> m_fixes;
};
