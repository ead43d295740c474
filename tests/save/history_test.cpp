// The message history: old- and new-style entries, trimming, the ranges a
// backlog window shows and the records saves keep.
#include "save/history.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/stream.h"
#include "stage/message.h"

namespace orvo::test {
namespace {

class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest() : stage_(state_) {
    THistoryServices services;
    services.stage = &stage_;
    history_.SetServices(services);
    message_ = stage_.Create<TOrvoMes>();
    message_->SetName("mes");
  }

  // Shows a page of a text command on the message window, then leaves it.
  void ShowPage(TOrvoHistoryFormat& format, const std::string& page, int32_t command, int32_t number = 0) {
    format.history.RecordPending(message_->Name(), 100, 40, page, "", number, 5, 0, command);
    format.history.CommitPending(message_->Name());
  }

  std::vector<std::string> OldNames(const TOrvoNewHistory& history) {
    std::vector<std::string> names;
    for (const THistoryOldData& entry : history.OldEntries()) names.push_back(entry.page_name);
    return names;
  }

  TRuntimeState state_;
  TOrvoBaseList stage_;
  TOrvoHistoryFormatManager history_;
  TOrvoMes* message_ = nullptr;
};

TEST_F(HistoryTest, OldStyleEntriesStoreANameOnceAndTrimCarriesItForward) {
  TOrvoHistoryFormat& format = history_.DefaultFormat();
  format.history.SetLimit(3);
  ShowPage(format, "a.osb", 1);
  // The same page with other letter case: stored once.
  ShowPage(format, "A.OSB", 2);
  ShowPage(format, "b.osb", 3);
  EXPECT_EQ(OldNames(format.history), (std::vector<std::string>{"a.osb", "", "b.osb"}));
  ShowPage(format, "b.osb", 4);
  // The oldest went; its name moved into the entry that relied on it.
  EXPECT_EQ(OldNames(format.history), (std::vector<std::string>{"a.osb", "b.osb", ""}));
  EXPECT_EQ(format.history.OldEntries()[0].command_index, 2);
  EXPECT_EQ(format.history.HistoryTotal(), 3);
  // Another window's commit does not take this window's page.
  format.history.RecordPending("other", 1, 1, "c.osb", "", 0, 0, 0, 9);
  format.history.CommitPending("mes");
  EXPECT_EQ(format.history.EntryCount(), 3);
}

TEST_F(HistoryTest, FormatsTakeNewSettingsOnlyWhileTheirHistoryIsEmpty) {
  TOrvoHistoryFormat& format = history_.ObtainFormat("log");
  format.settings.values = {10, 0, 0, 100, 300, 4, 0, 0};
  format.history.RecordPending("mes", 100, 40, "a.osb", "", 0, 5, 0, 1);
  EXPECT_TRUE(format.history.NewStyle());
  format.history.AddMeasuredPage("a.osb", 1, "", 50, 0, 5);
  format.settings.values = {12, 0, 0, 200, 400, 6, 0, 0};
  format.history.RecordPending("mes", 100, 40, "a.osb", "", 0, 5, 0, 1);
  EXPECT_EQ(format.history.MeasuringSettings().values[3], 100);
  history_.ClearHistories();
  EXPECT_EQ(format.history.HistoryTotal(), 0);
  EXPECT_EQ(format.history.PendingPage(), "");
  format.history.RecordPending("mes", 100, 40, "a.osb", "", 0, 5, 0, 1);
  EXPECT_EQ(format.history.MeasuringSettings().values[3], 200);
  // Formats compare their names exactly.
  EXPECT_EQ(history_.FindFormat("LOG"), nullptr);
  EXPECT_EQ(&history_.ObtainFormat("log"), &format);
}

TEST_F(HistoryTest, ExtractRangeFindsTheEntriesABacklogWindowCovers) {
  TOrvoHistoryFormat& format = history_.ObtainFormat("log");
  format.settings.values = {10, 0, 0, 100, 300, 0, 0, 0};
  format.history.RecordPending("mes", 100, 40, "p.osb", "", 0, 0, 0, 0);
  // Two history pages of three 100-pixel entries each (commands 0..5).
  for (int32_t i = 0; i < 6; ++i) format.history.AddMeasuredPage("p.osb", i, "", 100, i, i);
  ASSERT_EQ(format.history.EntryCount(), 2);
  ASSERT_EQ(format.history.HistoryTotal(), 600);
  struct TRow {
    int32_t start, height;
    std::vector<int32_t> commands;
    int32_t offset;
  };
  const TRow rows[] = {
      {250, 100, {2, 3}, -50},          {0, 100, {0}, 0},     {0, 300, {0, 1, 2}, 0},
      {150, 400, {1, 2, 3, 4, 5}, -50}, {550, 100, {5}, -50}, {600, 10, {}, 0},
  };
  for (const TRow& row : rows) {
    TOrvoHistData target;
    const int32_t offset = format.history.ExtractRange(row.start, row.height, target);
    EXPECT_EQ(target.command_indexes, row.commands) << row.start << "+" << row.height;
    EXPECT_EQ(offset, row.offset) << row.start << "+" << row.height;
    if (!target.page_names.empty()) {
      EXPECT_EQ(target.page_names[0], "p.osb");
    }
    for (size_t i = 1; i < target.Count(); ++i) EXPECT_EQ(target.page_names[i], "");
  }
}

TEST_F(HistoryTest, TheFormatsRecordComesBackAsWritten) {
  TOrvoHistoryFormat& log = history_.ObtainFormat("log");
  log.settings.values = {10, 1, 2, 100, 250, 3, 4, 5};
  log.history.RecordPending("mes", 100, 40, "a.osb", "v=1", 2, 7, 3, 1);
  log.history.AddMeasuredPage("a.osb", 1, "v=1", 120, 3, 7);
  log.history.AddMeasuredPage("b.osb", 4, "", 140, 0, 2);
  log.history.SetLimit(6);
  ShowPage(history_.DefaultFormat(), "c.osb", 8, 1);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  history_.WriteFormats(writer);
  TOrvoHistoryFormatManager read;
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  read.ReadFormats(reader, 201);
  EXPECT_EQ(reader.Remaining(), 0);
  ASSERT_EQ(read.Count(), 2u);
  TOrvoHistoryFormat* copy = read.FindFormat("log");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->settings.values, log.settings.values);
  EXPECT_EQ(copy->history.MeasuringSettings().values, log.history.MeasuringSettings().values);
  ASSERT_EQ(copy->history.Pages().size(), 2u);
  EXPECT_EQ(copy->history.Pages()[0].frozen_values[0], "v=1");
  EXPECT_EQ(copy->history.Pages()[1].page_names[0], "b.osb");
  EXPECT_EQ(copy->history.HistoryTotal(), 260);
  EXPECT_EQ(copy->history.Limit(), 6);
  EXPECT_EQ(copy->history.PendingPage(), "a.osb");
  EXPECT_EQ(read.FindFormat("")->history.OldEntries().size(), 1u);
  EXPECT_EQ(read.FindFormat("")->history.OldEntries()[0].page_number, 1);
}

// The old layouts: a single history with columns of old entries.
TEST_F(HistoryTest, HistoriesOfOldSavesAreReadByTheirVersion) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  writer.WriteString("ignored");
  writer.WriteInt32(2);
  writer.WriteString("a.osb");
  writer.WriteString("");
  writer.WriteInt32(3);
  writer.WriteInt32(4);
  writer.WriteInt32(0);
  writer.WriteInt32(1);
  for (int i = 0; i < 4; ++i) writer.WriteInt32(50 + i);
  writer.WriteString("");  // pending page
  for (int i = 0; i < 4; ++i) writer.WriteInt32(0);
  writer.WriteString("mes");
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  history_.ReadSingleHistory(reader, 110);
  EXPECT_EQ(reader.Remaining(), 0);
  const TOrvoNewHistory& history = history_.DefaultFormat().history;
  ASSERT_EQ(history.OldEntries().size(), 2u);
  EXPECT_EQ(history.OldEntries()[1].command_index, 4);
  EXPECT_EQ(history.OldEntries()[1].page_number, 1);
  EXPECT_EQ(history.OldEntries()[1].width, 52);
  EXPECT_EQ(history.OldEntries()[1].height, 53);
  EXPECT_EQ(history_.Count(), 1u);
}

TEST_F(HistoryTest, DamagedRecordsFailInsteadOfAllocating) {
  struct TRow {
    const char* what;
    std::function<void(TBinaryWriter&)> write;
  };
  const TRow rows[] = {
      {"a billion formats", [](TBinaryWriter& w) { w.WriteInt32(1000000000); }},
      {"a huge name",
       [](TBinaryWriter& w) {
         w.WriteInt32(1);
         w.WriteInt32(0x7FFFFFFF);
       }},
      {"a billion old entries",
       [](TBinaryWriter& w) {
         w.WriteInt32(1);
         w.WriteString("");
         for (int i = 0; i < 6; ++i) w.WriteInt32(0);
         w.WriteInt32(1000000000);
       }},
      {"a pending page beyond 10 MiB",
       [](TBinaryWriter& w) {
         w.WriteInt32(1);
         w.WriteString("");
         for (int i = 0; i < 6; ++i) w.WriteInt32(0);
         w.WriteInt32(0);
         w.WriteInt32(10485761);
       }},
  };
  for (const TRow& row : rows) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    row.write(writer);
    writer.WriteBytes(std::string(64, '\0'));
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    EXPECT_THROW(history_.ReadFormats(reader, 201), EReadError) << row.what;
  }
}

}  // namespace
}  // namespace orvo::test
