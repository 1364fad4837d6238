// The generic dataset: the buffer window against a model, links, states, binding, params.
#include "db/dataset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "db/data_source.h"
#include "db/dataset_list.h"
#include "db/db_error.h"
#include "db/params.h"
#include "tests/db/ordered_dataset.h"

namespace {

// A dataset kind over a vector of integers; each buffer holds the row's index and value.
class MemDataSet : public TDataSet {
  public:
    explicit MemDataSet(std::vector<int> rows) : TDataSet(nullptr), rows_(std::move(rows)) {
        setObjectName(QStringLiteral("Mem"));
    }
    ~MemDataSet() override { Close(); }
    int cursorMoves = 0;
    bool readOnly = false;
    std::vector<int> rows_;

  protected:
    void InternalOpen() override {
        InternalInitFieldDefs();
        CreateFields();
        BindFields();
        pos_ = -1;
    }
    void InternalClose() override {}
    bool IsCursorOpen() const override { return true; }
    void InternalInitFieldDefs() override {
        FieldDefs().Clear();
        FieldDefs().Add(QStringLiteral("V"), TFieldType::ftInteger);
        FieldDefs().Add(QStringLiteral("Name"), TFieldType::ftString, 30);
    }
    int RecordBufferSize() const override { return 8; }
    TGetResult GetRecord(QByteArray& b, TGetMode mode, bool) override {
        ++cursorMoves;
        int n = int(rows_.size());
        if (mode == TGetMode::gmNext) pos_ = std::min(pos_ + 1, n);
        if (mode == TGetMode::gmPrior) pos_ = std::max(pos_ - 1, -1);
        if (pos_ >= n) return TGetResult::grEOF;
        if (pos_ < 0) return TGetResult::grBOF;
        b = QByteArray(8, 0);
        std::memcpy(b.data(), &pos_, 4);
        std::memcpy(b.data() + 4, &rows_[size_t(pos_)], 4);
        return TGetResult::grOK;
    }
    void InternalFirst() override { pos_ = -1; }
    void InternalSetToRecord(QByteArray& b) override { std::memcpy(&pos_, b.constData(), 4); }
    void InternalInitRecord(QByteArray& b) override { b = QByteArray(8, 0); }
    void InternalPost() override {
        int v;
        std::memcpy(&v, ActiveBuffer()->constData() + 4, 4);
        rows_.push_back(v);
        pos_ = int(rows_.size()) - 1;
    }
    void SetBookmarkFlag(QByteArray&, TBookmarkFlag) override {}
    QByteArray GetBookmarkData(const QByteArray& b) const override { return b.left(4); }
    int GetRecordCount() override { return int(rows_.size()); }
    bool GetCanModify() const override { return !readOnly; }
    bool LocateRecord(const QString&, const QVariant& v, TLocateOptions) override {
        auto it = std::find(rows_.begin(), rows_.end(), v.toInt());
        if (it == rows_.end()) return false;
        pos_ = int(it - rows_.begin());
        return true;
    }
    QVariant GetFieldData(const TField* f) const override {
        const QByteArray* b = ActiveBuffer();
        if (!b || f->FieldNo() != 1) return QVariant();
        int v;
        std::memcpy(&v, b->constData() + 4, 4);
        return v;
    }
    void SetFieldData(TField* f, const QVariant& v) override {
        int x = v.toInt();
        std::memcpy(ActiveBuffer()->data() + 4, &x, 4);
        NotifyFieldChange(f);
    }

  private:
    int pos_ = -1;
};

// Records what a grid would be told.
class RecordingLink : public TDataLink {
  public:
    std::vector<std::string> events;

  protected:
    void ActiveChanged() override { events.push_back(Active() ? "open" : "close"); }
    void DataSetChanged() override { events.push_back("changed"); }
    void DataSetScrolled(int d) override { events.push_back("scroll " + std::to_string(d)); }
    void RecordChanged(TField*) override { events.push_back("record"); }
    void EditingChanged() override { events.push_back("editing"); }
    void LayoutChanged() override { events.push_back("layout"); }
};

// A data source over a dataset and a recording link on it asking for `window` rows.
struct Linked {
    explicit Linked(TDataSet& ds, int window = 1) {
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
        link.SetBufferCount(window);
    }
    TDataSource source{nullptr};
    RecordingLink link;
};

int value(MemDataSet& ds) {
    return ds.Fields(0)->AsInteger();
}

TEST(TDataSet, StatesAreNumberedInTheirOrder) {
    EXPECT_EQ(int(TDataSetState::dsInactive), 0);
    EXPECT_EQ(int(TDataSetState::dsFilter), 6);
    EXPECT_EQ(int(TDataSetState::dsOpening), 12);
}

// The ids of the window's rows, read as a grid paints them (the active row restored).
std::vector<int> windowIds(TDataSet& ds) {
    std::vector<int> ids;
    int active = ds.ActiveRecord();
    for (int r = 0; r < ds.WindowRecordCount(); ++r) {
        ds.SetActiveRecord(r);
        ids.push_back(ds.Fields(0)->AsInteger());
    }
    ds.SetActiveRecord(active);
    return ids;
}

// Random moves, searches, order switches, appends (posted or cancelled) and window sizes,
// each followed by a comparison of the current record, Bof/Eof, the bookmark and the
// window (a run of the model's order holding the current record at the active row; whole
// once filled) with a model.
TEST(TDataSet, TheWindowFollowsAModelThroughMovesOrdersAndAppends) {
    std::mt19937 rng(7);
    for (int run = 0; run < 20; ++run) {
        std::map<int, int> model;  // id -> key: the records
        for (int id = 1; id <= int(rng() % 12); ++id) model[id] = int(rng() % 6);
        OrderedDataSet ds(model);
        Linked linked(ds, 1 + int(rng() % 6));
        RecordingLink& link = linked.link;
        ds.Open();
        bool byKey = false;
        auto order = [&] {
            std::vector<int> ids;
            for (const auto& [id, key] : model) ids.push_back(id);
            if (byKey)
                std::stable_sort(ids.begin(), ids.end(),
                                 [&](int a, int b) { return model[a] < model[b]; });
            return ids;
        };
        int current = model.empty() ? 0 : order().front();  // 0: no record
        auto position = [&] {
            auto o = order();
            return int(std::find(o.begin(), o.end(), current) - o.begin());
        };
        for (int step = 0; step < 300; ++step) {
            std::string what;
            switch (rng() % 9) {
                case 0:
                case 1:
                case 2: {
                    int d = int(rng() % 9) - 4;
                    what = "MoveBy " + std::to_string(d);
                    int moved = ds.MoveBy(d);
                    if (current == 0) break;
                    int target = position() + d, n = int(model.size());
                    EXPECT_EQ(moved, std::clamp(target, 0, n - 1) - position()) << what;
                    if (d > 0) {
                        EXPECT_EQ(ds.Eof(), target > n - 1) << what;
                    } else if (d < 0) {
                        EXPECT_EQ(ds.Bof(), target < 0) << what;
                    }
                    current = order()[size_t(std::clamp(target, 0, n - 1))];
                    break;
                }
                case 3:
                    what = "First";
                    ds.First();
                    EXPECT_TRUE(ds.Bof());
                    current = model.empty() ? 0 : order().front();
                    break;
                case 4: {
                    int key = int(rng() % 8);
                    what = "Locate " + std::to_string(key);
                    bool found = false;
                    for (int id : order())
                        if (model[id] == key) {
                            current = id;
                            found = true;
                            break;
                        }
                    EXPECT_EQ(ds.Locate(QStringLiteral("Key"), key, 0), found) << what;
                    break;
                }
                case 5:
                    byKey = !byKey;
                    what = byKey ? "order by key" : "order by id";
                    ds.SetOrder(byKey);
                    break;
                case 6: {
                    int key = int(rng() % 8);
                    bool post = rng() % 3 != 0;
                    what = (post ? "Append and Post " : "Append and Cancel ") + std::to_string(key);
                    ds.Append();
                    EXPECT_TRUE(ds.Bookmark().isEmpty()) << "a new record has no bookmark yet";
                    ds.Fields(1)->SetAsInteger(key);
                    if (post) {
                        ds.Post();
                        current = model.empty() ? 1 : model.rbegin()->first + 1;
                        model[current] = key;
                    } else {
                        ds.Cancel();
                    }
                    break;
                }
                case 7: {
                    int size = 1 + int(rng() % 6);
                    what = "window of " + std::to_string(size);
                    link.SetBufferCount(size);
                    break;
                }
                case 8:
                    what = "FillWindow";
                    ds.FillWindow();
                    break;
            }
            std::string where =
                "run " + std::to_string(run) + " step " + std::to_string(step) + " after " + what;
            ASSERT_EQ(current == 0 ? 0 : ds.Fields(0)->AsInteger(), current) << where;
            if (current != 0) {
                int id = current;
                EXPECT_EQ(ds.Bookmark(), QByteArray(reinterpret_cast<const char*>(&id), 4))
                    << where;
            }
            for (bool fill : {false, true}) {
                if (fill) ds.FillWindow();
                std::vector<int> window = windowIds(ds), o = order();
                ASSERT_LE(int(window.size()), ds.BufferCount()) << where;
                if (current == 0) {
                    EXPECT_TRUE(window.empty()) << where;
                    continue;
                }
                auto at = std::find(o.begin(), o.end(), window.empty() ? -1 : window.front());
                ASSERT_NE(at, o.end()) << where;
                size_t start = size_t(at - o.begin());
                ASSERT_LE(start + window.size(), o.size()) << where;
                EXPECT_TRUE(std::equal(window.begin(), window.end(), o.begin() + long(start)))
                    << where;
                EXPECT_EQ(window[size_t(ds.ActiveRecord())], current) << where;
                if (fill) {
                    EXPECT_EQ(window.size(), std::min(o.size(), size_t(ds.BufferCount()))) << where;
                }
            }
        }
    }
}

TEST(TDataSet, AResyncReadsTheActiveRowAloneAndTheWindowOnlyWhenAsked) {
    std::map<int, int> records;
    for (int id = 1; id <= 40; ++id) records[id] = id % 7;
    OrderedDataSet ds(records);
    Linked linked(ds, 10);
    RecordingLink& link = linked.link;
    ds.Open();
    EXPECT_EQ(ds.WindowRecordCount(), 10) << "opening reads the first rows whole";
    for (int i = 0; i < 5; ++i) {
        ds.Append();
        ds.Fields(1)->SetAsInteger(i);
        int reads = ds.cursorCalls;
        ds.Post();
        EXPECT_EQ(ds.cursorCalls - reads, 1) << "the posted row alone";
        EXPECT_EQ(ds.WindowRecordCount(), 1);
    }
    ASSERT_TRUE(ds.Locate(QStringLiteral("Key"), 6, 0));
    EXPECT_EQ(ds.WindowRecordCount(), 1);
    int reads = ds.cursorCalls;
    ds.FillWindow();
    EXPECT_EQ(ds.WindowRecordCount(), 10);
    EXPECT_EQ(ds.ActiveRecord(), 4) << "the found row in the middle";
    EXPECT_GE(ds.cursorCalls - reads, 9);
    reads = ds.cursorCalls;
    ds.FillWindow();
    link.SetBufferCount(4);
    EXPECT_EQ(ds.cursorCalls, reads) << "a whole window, and a smaller one, read nothing";
    EXPECT_EQ(ds.WindowRecordCount(), 4);
    EXPECT_EQ(ds.Fields(1)->AsInteger(), 6);
}

TEST(TDataSet, MovesWithinTheWindowAskNothingOfTheCursor) {
    MemDataSet ds({1, 2, 3, 4});
    Linked linked(ds, 4);
    ds.Open();
    int reads = ds.cursorMoves;
    ds.Next();
    ds.Next();
    EXPECT_EQ(ds.cursorMoves, reads);
    EXPECT_EQ(value(ds), 3);
}

TEST(TDataSet, LinksHearOpenScrollEditsAndClose) {
    MemDataSet ds({1, 2});
    Linked linked(ds);
    RecordingLink& link = linked.link;
    int before = 0, after = 0;
    ds.BeforeScroll = [&](TDataSet*) { ++before; };
    ds.AfterScroll = [&](TDataSet*) { ++after; };
    ds.Open();
    ds.Next();
    ds.Append();
    ds.Fields(0)->SetAsInteger(9);
    ds.Post();
    ds.Close();
    EXPECT_EQ(link.events, (std::vector<std::string>{"open", "scroll 1", "editing", "changed",
                                                     "record", "editing", "changed", "close"}));
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 3) << "after open, after the move, after the append";
    EXPECT_EQ(ds.rows_.back(), 9);
}

TEST(TDataSet, FrameworkMessagesCarryTheDataSetName) {
    MemDataSet ds({1});
    struct Case {
        std::function<void()> action;
        QString message;
    } closed[] = {
        {[&] { ds.RecordCount(); },
         "Mem: Impossible d'effectuer cette opération sur un ensemble de données fermé"},
        {[&] { ds.Next(); },
         "Mem: Impossible d'effectuer cette opération sur un ensemble de données fermé"},
    };
    for (const Case& c : closed) {
        try {
            c.action();
            ADD_FAILURE();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
    ds.Open();
    ds.readOnly = true;
    try {
        ds.Append();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(
            e.message(),
            QStringLiteral("Mem: Impossible de modifier un ensemble de données en lecture seule"));
    }
    try {
        ds.FieldByName(QStringLiteral("Nope"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Mem: Champ 'Nope' non trouvé"));
    }
    TIntegerField extra(nullptr);
    EXPECT_THROW(extra.SetDataSet(&ds), EDatabaseError) << "fields join closed datasets only";
    ds.Close();
    ds.Close();
}

TEST(TDataSet, LocateMakesTheRowCurrentOrKeepsThePosition) {
    MemDataSet ds({5, 6, 7});
    ds.Open();
    EXPECT_TRUE(ds.Locate(QStringLiteral("V"), 7, 0));
    EXPECT_EQ(value(ds), 7);
    EXPECT_FALSE(ds.Locate(QStringLiteral("V"), 8, 0));
    EXPECT_EQ(value(ds), 7);
}

TEST(TDataSet, EveryDataSetIsListedWhileItLives) {
    auto count = [] { return db::DataSetList::instance().snapshot().size(); };
    size_t before = count();
    {
        MemDataSet a({}), b({});
        EXPECT_EQ(count(), before + 2);
    }
    EXPECT_EQ(count(), before);
}

TEST(TField, ConversionsAndStringSize) {
    MemDataSet ds({42});
    ds.Open();
    TField* v = ds.Fields(0);
    EXPECT_EQ(v->AsString(), QStringLiteral("42"));
    EXPECT_EQ(v->AsFloat(), 42.0);
    EXPECT_TRUE(v->AsBoolean());
    EXPECT_EQ(ds.Fields(1)->Size(), 30);
    EXPECT_TRUE(ds.Fields(1)->IsNull());
    EXPECT_EQ(ds.Fields(1)->AsInteger(), 0);
    EXPECT_EQ(db::dateFromDayNumber(db::dayNumber(QDate(2026, 12, 10))), QDate(2026, 12, 10));
    EXPECT_EQ(db::dayNumber(QDate(1, 1, 1)), 1);
}

TEST(TField, WhatAGridShowsFollowsTheTypeAndReachesTheLinks) {
    MemDataSet ds({42});
    Linked linked(ds);
    RecordingLink& link = linked.link;
    ds.Open();
    TField* v = ds.Fields(0);
    TField* name = ds.Fields(1);
    EXPECT_EQ(v->DisplayWidth(), 11);
    EXPECT_TRUE(v->RightAligned());
    EXPECT_EQ(name->DisplayWidth(), 30) << "a text field's size";
    EXPECT_FALSE(name->RightAligned());
    EXPECT_EQ(v->DisplayText(), QStringLiteral("42"));
    TMemoField notes(nullptr);
    EXPECT_EQ(notes.DisplayText(), QStringLiteral("(MEMO)")) << "a grid reads no memo";
    EXPECT_EQ(notes.DisplayWidth(), 10);
    link.events.clear();
    name->SetDisplayWidth(12);
    name->SetDisplayLabel(QStringLiteral("Nom"));
    v->SetVisible(false);
    EXPECT_EQ(link.events, (std::vector<std::string>{"layout", "layout", "layout"}));
    EXPECT_EQ(name->DisplayWidth(), 12);
    EXPECT_EQ(name->DisplayLabel(), QStringLiteral("Nom"));
}

TEST(TParams, LookupAndCarryOver) {
    TParams old, fresh;
    old.CreateParam(TFieldType::ftInteger, QStringLiteral("a")).Value = 1;
    fresh.CreateParam(TFieldType::ftUnknown, QStringLiteral("A"));
    fresh.CreateParam(TFieldType::ftUnknown, QStringLiteral("b"));
    fresh.AssignValues(old);
    EXPECT_EQ(fresh.ParamByName(QStringLiteral("a")).Value, QVariant(1));
    EXPECT_EQ(fresh[0].DataType, TFieldType::ftInteger);
    EXPECT_TRUE(fresh[1].IsNull());
    EXPECT_THROW(fresh.ParamByName(QStringLiteral("c")), EDatabaseError);
}

}  // namespace
