// The generic dataset: the buffer window against a model, links, states, binding, params.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "db/data_source.h"
#include "db/dataset.h"
#include "db/dataset_list.h"
#include "db/db_error.h"
#include "db/params.h"

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
};

int value(MemDataSet& ds) { return ds.Fields(0)->AsInteger(); }

TEST(TDataSet, StatesAreNumberedInTheirOrder) {
    EXPECT_EQ(int(TDataSetState::dsInactive), 0);
    EXPECT_EQ(int(TDataSetState::dsFilter), 6);
    EXPECT_EQ(int(TDataSetState::dsOpening), 12);
}

TEST(TDataSet, RandomMovesFollowAModelWithAnyWindowSize) {
    std::mt19937 rng(7);
    for (int window : {1, 3, 8}) {
        std::vector<int> rows;
        for (int i = 0; i < 20; ++i) rows.push_back(i * 10);
        MemDataSet ds(rows);
        TDataSource source(nullptr);
        source.SetDataSet(&ds);
        RecordingLink link;
        link.SetDataSource(&source);
        link.SetBufferCount(window);
        ds.Open();
        int model = 0;
        for (int step = 0; step < 300; ++step) {
            int d = int(rng() % 7) - 3;
            if (rng() % 10 == 0) {
                ds.First();
                model = 0;
            } else {
                ds.MoveBy(d);
                bool pastEnd = model + d > 19, beforeStart = model + d < 0;
                model = std::clamp(model + d, 0, 19);
                if (d > 0) {
                    EXPECT_EQ(ds.Eof(), pastEnd);
                }
                if (d < 0) {
                    EXPECT_EQ(ds.Bof(), beforeStart);
                }
            }
            ASSERT_EQ(value(ds), rows[size_t(model)]) << "window " << window << " step " << step;
            ASSERT_LE(ds.WindowRecordCount(), window);
        }
    }
}

TEST(TDataSet, MovesWithinTheWindowAskNothingOfTheCursor) {
    MemDataSet ds({1, 2, 3, 4});
    TDataSource source(nullptr);
    source.SetDataSet(&ds);
    RecordingLink link;
    link.SetDataSource(&source);
    link.SetBufferCount(4);
    ds.Open();
    int reads = ds.cursorMoves;
    ds.Next();
    ds.Next();
    EXPECT_EQ(ds.cursorMoves, reads);
    EXPECT_EQ(value(ds), 3);
}

TEST(TDataSet, LinksHearOpenScrollEditsAndClose) {
    MemDataSet ds({1, 2});
    TDataSource source(nullptr);
    source.SetDataSet(&ds);
    RecordingLink link;
    link.SetDataSource(&source);
    int before = 0, after = 0;
    ds.BeforeScroll = [&](TDataSet*) { ++before; };
    ds.AfterScroll = [&](TDataSet*) { ++after; };
    ds.Open();
    ds.Next();
    ds.Append();
    ds.Fields(0)->SetAsInteger(9);
    ds.Post();
    ds.Close();
    EXPECT_EQ(link.events, (std::vector<std::string>{"open", "scroll 1", "editing", "changed", "record", "editing",
                                                     "changed", "close"}));
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
        {[&] { ds.RecordCount(); }, "Mem: Impossible d'effectuer cette opération sur un ensemble de données fermé"},
        {[&] { ds.Next(); }, "Mem: Impossible d'effectuer cette opération sur un ensemble de données fermé"},
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
        EXPECT_EQ(e.message(), QStringLiteral("Mem: Impossible de modifier un ensemble de données en lecture seule"));
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
