// The state file of --update: what it writes reads back as the same state,
// and anything else, however near, is no state at all.
#include "TestSupport.h"

#include "UpdateState.h"

#include <filesystem>

namespace tessel::test {
namespace {

using cli::FileStamp;
using cli::ImageRecord;
using cli::ParseUpdateState;
using cli::UpdateState;
using cli::UpdateStateText;

UpdateState TwoImages()
{
    UpdateState state;
    state.Settings = "render 1.1.0 sides 160 160 160 160 units bmp archive /home/x/MAIN\tDAT%.WAR 1 2";
    state.Images["sub/x.bmp"] = {"maps/sub/x.pud", {2048, 1700000000000000000}, {26678, 1700000000500000000}};
    state.Images["pack/a\nb\x7f%.bmp"] = {"pack.zip/a\nb\x7f%.pud\r", {9000, -4859827200000000000}, {0, 7}};
    return state;
}

TEST(UpdateStateText, WhatIsWrittenReadsBackAsTheSameState)
{
    const UpdateState state = TwoImages();
    const std::string text = UpdateStateText(state);
    EXPECT_EQ(text, "tessel-update 1\n"
                    "settings\trender 1.1.0 sides 160 160 160 160 units bmp archive /home/x/MAIN%09DAT%25.WAR 1 2\n"
                    "image\tpack/a%0Ab%7F%25.bmp\tpack.zip/a%0Ab%7F%25.pud%0D\t9000\t-4859827200000000000\t0\t7\n"
                    "image\tsub/x.bmp\tmaps/sub/x.pud\t2048\t1700000000000000000\t26678\t1700000000500000000\n");
    EXPECT_EQ(ParseUpdateState(text), state);
    EXPECT_EQ(ParseUpdateState(UpdateStateText(UpdateState{})), UpdateState{});
    // Every byte a path may hold.
    UpdateState bytes;
    for (int byte = 1; byte < 256; ++byte)
        bytes.Settings += static_cast<char>(byte);
    bytes.Images[bytes.Settings] = {bytes.Settings, {1, 2}, {3, 4}};
    EXPECT_EQ(ParseUpdateState(UpdateStateText(bytes)), bytes);
}

TEST(UpdateStateText, EveryCutAndEveryDamagedLineIsNoState)
{
    const std::string text = UpdateStateText(TwoImages());
    for (std::size_t length = 0; length < text.size(); ++length) {
        if (length == 0 || text[length - 1] != '\n') {
            EXPECT_FALSE(ParseUpdateState(text.substr(0, length))) << length;
        }
    }

    const std::string head = "tessel-update 1\nsettings\tkey\n";
    ASSERT_TRUE(ParseUpdateState(head + "image\ta.bmp\ta.pud\t1\t2\t3\t4\n"));
    for (const std::string& damaged : {
             std::string("tessel-update 2\nsettings\tkey\n"),
             std::string("tessel-update 1\r\nsettings\tkey\n"),
             std::string("tessel-update 1\n"),
             std::string("tessel-update 1\nsetting\tkey\n"),
             std::string("tessel-update 1\nsettings\tkey\textra\n"),
             std::string("tessel-update 1\nsettings\tkey\n\n"),
             head + "image\ta.bmp\ta.pud\t1\t2\t3\n",
             head + "image\ta.bmp\ta.pud\t1\t2\t3\t4\t5\n",
             head + "picture\ta.bmp\ta.pud\t1\t2\t3\t4\n",
             head + "image\t\ta.pud\t1\t2\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t+1\t2\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t01\t2\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t-1\t2\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t1\t2x\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t1\t\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t1\t-0\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t1\t99999999999999999999\t3\t4\n",
             head + "image\ta.bmp\ta.pud\t1\t2\t3\t4\nimage\ta.bmp\tb.pud\t1\t2\t3\t4\n",
             head + "image\ta%0a.bmp\ta.pud\t1\t2\t3\t4\n",
             head + "image\ta%41.bmp\ta.pud\t1\t2\t3\t4\n",
             head + "image\ta%.bmp\ta.pud\t1\t2\t3\t4\n",
             head + "image\ta.bmp%0\ta.pud\t1\t2\t3\t4\n",
             head + "image\ta.bmp\ta\r.pud\t1\t2\t3\t4\n",
             head + "image\ta.bmp\ta\x7f.pud\t1\t2\t3\t4\n",
             std::string("\xEF\xBB\xBFtessel-update 1\nsettings\tkey\n"),
         })
        EXPECT_FALSE(ParseUpdateState(damaged)) << damaged;
}

TEST(UpdateStateFile, AMissingForeignOrOversizedFileIsNoStateAndAWrittenOneReadsBack)
{
    TempDir dir;
    EXPECT_FALSE(cli::ReadUpdateState(dir.Path()));
    cli::WriteUpdateState(dir.Path(), TwoImages());
    EXPECT_EQ(cli::ReadUpdateState(dir.Path()), TwoImages());
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{cli::UpdateStateFileName}));

    const std::string path = dir.File(cli::UpdateStateFileName);
    WriteFileBytes(path, {0x89, 'P', 'N', 'G', 0, 0});
    EXPECT_FALSE(cli::ReadUpdateState(dir.Path()));
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(cli::ReadUpdateState(dir.Path()));
    std::filesystem::remove(path);
    // Sparse: the size alone refuses it, before anything is read.
    WriteText(path, UpdateStateText(TwoImages()));
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(cli::MaximumUpdateStateSize) + 1);
    EXPECT_FALSE(cli::ReadUpdateState(dir.Path()));
}

TEST(UpdateStateFile, AnImageIsUpToDateOnlyWhenSettingsScenarioAndImageAllAgree)
{
    TempDir dir;
    const std::string image = dir.File("x.bmp");
    WriteText(image, "image");
    const FileStamp imageStamp = *cli::StampOfFile(image);
    const ImageRecord record{"maps/x.pud", {100, imageStamp.Time - 1}, {}};
    UpdateState earlier;
    earlier.Settings = "key";
    earlier.Images["x.bmp"] = {record.Scenario, record.ScenarioStamp, imageStamp};
    const std::optional<UpdateState> state = earlier;

    EXPECT_TRUE(cli::IsUpToDate(state, "key", "x.bmp", record, image));
    EXPECT_FALSE(cli::IsUpToDate(std::nullopt, "key", "x.bmp", record, image));
    EXPECT_FALSE(cli::IsUpToDate(state, "other key", "x.bmp", record, image));
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "y.bmp", record, image));
    ImageRecord changed = record;
    changed.Scenario = "maps/y.pud";
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "x.bmp", changed, image));
    changed = record;
    changed.ScenarioStamp.Size = 101;
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "x.bmp", changed, image));
    changed = record;
    changed.ScenarioStamp.Time = imageStamp.Time;  // as new as the image: not older
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "x.bmp", changed, image));
    // The scenario as recorded, but the recorded image time no older.
    std::optional<UpdateState> sameTime = state;
    sameTime->Images["x.bmp"].ScenarioStamp.Time = imageStamp.Time;
    changed.ScenarioStamp.Size = record.ScenarioStamp.Size;
    EXPECT_FALSE(cli::IsUpToDate(sameTime, "key", "x.bmp", changed, image));
    // The image written over since, or gone.
    WriteText(image, "other image");
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "x.bmp", record, image));
    std::filesystem::remove(image);
    EXPECT_FALSE(cli::IsUpToDate(state, "key", "x.bmp", record, image));
}

}  // namespace
}  // namespace tessel::test
