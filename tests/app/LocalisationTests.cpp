#include "SettingsHome.h"
#include "app/Localisation.h"

#include <MeltrowResources.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace
{

using testing_support::ScopedEnvironmentVariable;

constexpr std::array<TranslationTable, 3> tables { TranslationTable::english, TranslationTable::simplifiedChinese, TranslationTable::traditionalChinese };

struct Entry
{
    const char* key;
    std::array<const char*, 3> texts; // English, Simplified, Traditional; null: the table lacks the key
};

// Every entry in file order, with the texts as stored ("\\n" is backslash and n).
const Entry entries[] = {
    { "mono", { u8"mono", u8"单声道", u8"單聲道" } },
    { "stereo", { u8"stereo", u8"立体声", u8"立體聲" } },
    { "bit", { u8"bit", u8"位", u8"位" } },
    { "Hz", { u8"Hz", u8"Hz", u8"Hz" } },
    { "Sample Rate:", { u8"Sample Rate:", u8"采样率:", u8"采样率:" } },
    { "Bit Depth:", { u8"Bit Depth:", u8"位深度:", u8"位深度:" } },
    { "Channel:", { u8"Channel:", u8"声道:", u8"聲道:" } },
    { "Clear Input Files", { u8"Clear Input Files", u8"清除输入文件", u8"清除輸入文件" } },
    { "Copy Output Log", { u8"Copy Output Log", u8"复制输出日志", u8"複制輸出日志" } },
    { "Start", { u8"Start", u8"开始", u8"開始" } },
    { "output log", { u8"output log", u8"输出日志", u8"輸出日誌" } },
    { "Processing", { u8"Processing", u8"正在处理", u8"正在處理" } },
    { "Stopping", { u8"Stopping", u8"正在停止", u8"正在停止" } },
    { "you can drag video file to here", { u8"you can drag video file to here", u8"你可以把视频文件拖到这里", u8"你可以把視頻文件拖到這裏" } },
    { "you can drag audio file to here", { u8"you can drag audio file to here", u8"你可以把音频文件拖到这里", u8"你可以把音頻文件拖到這裏" } },
    { "title_for_audio", { u8"This software is a shell of ffmpeg.Only convert audio file to wav.", u8"这是ffmpeg的一个壳。只把音频文件转换到wav格式", u8"這是ffmpeg的一個殼。只把音頻文件轉換到wav格式" } },
    { "title_for_video", { u8"This software is a shell of ffmpeg.Only convert video file to x265.", u8"这是ffmpeg的一个壳。只把视频文件转换到HEVC(H.265)格式", u8"這是ffmpeg的一個殼。只把視頻文件轉換到HEVC(H.265)格式" } },
    { "exit_when_running", { u8"You should stop the running task first !", u8"你需要先把运行的任务停止!", u8"你需要先把運行的任務停止!" } },
    { "converting:", { u8"Converting:", u8"正在转换:", u8"正在轉換:" } },
    { "done_string", { u8"\\n\\nall done!\\nYou can check then output files and close this application.", u8"\\n\\n全部完成!\\n你可以检查一下输出文件，并关掉这个软件.", u8"\\n\\n全部完成!\\n你可以檢查一下輸出文件，並關掉這個軟件。" } },
    { "Stop", { u8"Stop", u8"停止", u8"停止" } },
    { "exists not convert", { u8"exists not convert", u8"文件已存在，没有转换", u8"文件已存在，沒有轉換" } },
    { "file", { nullptr, u8"文件已存在，没有转换", nullptr } },
    { "all done", { u8"all done", u8"全部完成", u8"全部完成" } },
    { "attention", { u8"Attention", u8"注意", u8"註意" } },
    { "file_not_converted", { u8"Some files were not converted", u8"有些文件没有转换", u8"有些檔案沒有轉換" } },
    { "file_converte_ok", { u8"Conversion successful", u8"转换成功", u8"轉換成功" } },
};

// Added after those, at the end of every table, for the outcome lines of a run.
const Entry addedEntries[] = {
    { "file_converte_failed", { u8"Conversion failed", u8"转换失败", u8"轉換失敗" } },
    { "file_converte_stopped", { u8"Stopped", u8"已停止", u8"已停止" } },

    // The no-selection message, and the reasons the program itself gives for a failed item.
    { "Nothing is chosen in the list", { u8"Nothing is chosen in the list", u8"列表中没有选中任何一项", u8"清單中沒有選取任何一項" } },
    { "Choose an entry there and press Start again.", { u8"Choose an entry there and press Start again.", u8"请在其中选择一项，然后再按“开始”。", u8"請在其中選擇一項，然後再按「開始」。" } },
    { "stopped", { u8"stopped", u8"已停止", u8"已停止" } },
    { "the converter could not be started", { u8"the converter could not be started", u8"无法启动转换程序", u8"無法啟動轉換程式" } },
    { "the converter could not be unpacked:", { u8"the converter could not be unpacked:", u8"无法解压转换器:", u8"無法解壓轉換器:" } },
    { "the converter was ended by a signal", { u8"the converter was ended by a signal", u8"转换程序被信号终止", u8"轉換程式被訊號終止" } },
    { "the converter ended with exit code", { u8"the converter ended with exit code", u8"转换程序结束，退出码", u8"轉換程式結束，結束代碼" } },
    { "the result is not a WAV file", { u8"the result is not a WAV file", u8"结果不是 WAV 文件", u8"結果不是 WAV 檔案" } },
    { "the result could not be rewritten:", { u8"the result could not be rewritten:", u8"无法重写结果文件:", u8"無法重寫結果檔案:" } },
    { "the result could not be put in place", { u8"the result could not be put in place", u8"无法把结果移到输出位置", u8"無法把結果移到輸出位置" } },
    { "the output folder could not be created:", { u8"the output folder could not be created:", u8"无法创建输出文件夹:", u8"無法建立輸出資料夾:" } },

    // Why the converter's folder cannot be used; %1 and %2 stand for paths and the system's words.
    { "%1 cannot be used: %2", { u8"%1 cannot be used: %2", u8"%1 无法使用: %2", u8"%1 無法使用: %2" } },
    { "%1 is a symbolic link", { u8"%1 is a symbolic link", u8"%1 是一个符号链接", u8"%1 是一個符號連結" } },
    { "%1 is a symbolic link that belongs to another user", { u8"%1 is a symbolic link that belongs to another user", u8"%1 是属于其他用户的符号链接", u8"%1 是屬於其他使用者的符號連結" } },
    { "%1 is not a folder", { u8"%1 is not a folder", u8"%1 不是文件夹", u8"%1 不是資料夾" } },
    { "%1 belongs to another user", { u8"%1 belongs to another user", u8"%1 属于其他用户", u8"%1 屬於其他使用者" } },
    { "%1 can be written by other users", { u8"%1 can be written by other users", u8"%1 可以被其他用户写入", u8"%1 可以被其他使用者寫入" } },
    { "%1 cannot be written: %2", { u8"%1 cannot be written: %2", u8"%1 无法写入: %2", u8"%1 無法寫入: %2" } },
    { "there is no folder to make a private folder in", { u8"there is no folder to make a private folder in", u8"没有可以在其中创建私有文件夹的文件夹", u8"沒有可以在其中建立私有資料夾的資料夾" } },
    { "%1 cannot be made: %2", { u8"%1 cannot be made: %2", u8"无法创建 %1: %2", u8"無法建立 %1: %2" } },
    { "TMPDIR is not an absolute path: %1", { u8"TMPDIR is not an absolute path: %1", u8"TMPDIR 不是绝对路径: %1", u8"TMPDIR 不是絕對路徑: %1" } },
    { "%1 does not allow running programs, and there is no cache folder", { u8"%1 does not allow running programs, and there is no cache folder", u8"%1 不允许运行程序，而且没有缓存文件夹", u8"%1 不允許執行程式，而且沒有快取資料夾" } },
    { "neither %1 nor %2 allows running programs", { u8"neither %1 nor %2 allows running programs", u8"%1 和 %2 都不允许运行程序", u8"%1 和 %2 都不允許執行程式" } },

    // A line of the input list that names no file.
    { "file_not_found", { u8"File not found:", u8"找不到文件:", u8"找不到檔案:" } },

    // Why a converter ended, and what keeps a result from its place.
    { "the converter was ended by signal", { u8"the converter was ended by signal", u8"转换程序被以下信号终止:", u8"轉換程式被以下訊號終止:" } },
    { "Hangup", { u8"Hangup", u8"挂起", u8"掛斷" } },
    { "Interrupt", { u8"Interrupt", u8"中断", u8"中斷" } },
    { "Illegal instruction", { u8"Illegal instruction", u8"非法指令", u8"不合法的指令" } },
    { "Aborted", { u8"Aborted", u8"异常中止", u8"異常中止" } },
    { "Bus error", { u8"Bus error", u8"总线错误", u8"匯流排錯誤" } },
    { "Floating point exception", { u8"Floating point exception", u8"浮点数例外", u8"浮點數例外" } },
    { "Killed", { u8"Killed", u8"被强制结束", u8"被強制結束" } },
    { "Segmentation fault", { u8"Segmentation fault", u8"段错误", u8"記憶體區段錯誤" } },
    { "Terminated", { u8"Terminated", u8"被终止", u8"被終止" } },
    { "File size limit exceeded", { u8"File size limit exceeded", u8"超出文件大小限制", u8"超出檔案大小限制" } },
    { "the same output was written earlier in this run from", { u8"the same output was written earlier in this run from", u8"本次运行已经由以下输入写入了同一个输出文件:", u8"本次執行已經由以下輸入寫入了同一個輸出檔案:" } },
    { "its output would replace the input", { u8"its output would replace the input", u8"输出文件会替换以下输入文件:", u8"輸出檔案會取代以下輸入檔案:" } },
    { "the result would be larger than a WAV file can hold (4 GiB)", { u8"the result would be larger than a WAV file can hold (4 GiB)", u8"结果会超过 WAV 文件所能容纳的大小 (4 GiB)", u8"結果會超過 WAV 檔案所能容納的大小 (4 GiB)" } },
    { "the temporary file could not be made:", { u8"the temporary file could not be made:", u8"无法创建临时文件:", u8"無法建立暫存檔案:" } },
};

struct TableFile
{
    const char* header;
    size_t sizeBeforeAddedEntries;
    const char* data;
    int size;
};

const std::array<TableFile, 3> tableFiles { {
    { "language: English\ncountries: *\n\n", 1023, MeltrowResources::languageEN_txt, MeltrowResources::languageEN_txtSize },
    { "language: Chinese\ncountries: CN SG\n\n", 1099, MeltrowResources::languageCN_txt, MeltrowResources::languageCN_txtSize },
    { "language: Chinese\ncountries: TW HK\n\n", 1061, MeltrowResources::languageTW_txt, MeltrowResources::languageTW_txtSize },
} };

std::string makeEntryLines (const Entry& entry, size_t column)
{
    // An empty line stands before these two entries in every table.
    const std::string key (entry.key);
    std::string lines = (key == "Sample Rate:" || key == "Processing") ? "\n" : "";

    if (entry.texts[column] != nullptr)
        lines += "\"" + key + "\"=\"" + entry.texts[column] + "\"\n";

    return lines;
}

juce::String shownText (const char* storedText)
{
    return juce::String::fromUTF8 (storedText).replace ("\\n", "\n");
}

class Localisation : public testing::Test
{
protected:
    void TearDown() override { juce::LocalisedStrings::setCurrentMappings (nullptr); }
};

} // namespace

TEST_F (Localisation, ChoosesTheTableByLanguageAndCountry)
{
    const struct
    {
        const char* language;
        const char* country;
        TranslationTable expected;
    } cases[] = {
        { "zh", "CN", TranslationTable::simplifiedChinese },
        { "zh", "SG", TranslationTable::simplifiedChinese },
        { "zh", "TW", TranslationTable::traditionalChinese },
        { "zh", "HK", TranslationTable::traditionalChinese },
        { "zh", "MO", TranslationTable::traditionalChinese },
        { "zh", "XX", TranslationTable::none },
        { "zh", "US", TranslationTable::none },
        { "zh", "cn", TranslationTable::none }, // exact comparison
        { "ZH", "CN", TranslationTable::english },
        { "de", "DE", TranslationTable::english },
        { "ja", "JP", TranslationTable::english },
        { "en", "US", TranslationTable::english },
    };

    for (const auto& c : cases)
        EXPECT_EQ (chooseTranslationTable (c.language, c.country), c.expected) << c.language << "-" << c.country;
}

TEST_F (Localisation, SetUpInstallsTheTableOfTheUserLocaleAndTheFace)
{
    const struct
    {
        std::optional<std::string> localeName; // in LC_ALL; nothing: no locale variable at all
        TranslationTable expected;
        const char* start;
        const char* attention;
    } cases[] = {
        { "zh_CN.UTF-8", TranslationTable::simplifiedChinese, u8"开始", u8"注意" },
        { "zh_SG", TranslationTable::simplifiedChinese, u8"开始", u8"注意" },
        { "zh_TW.UTF-8", TranslationTable::traditionalChinese, u8"開始", u8"註意" },
        { "zh_HK.UTF-8", TranslationTable::traditionalChinese, u8"開始", u8"註意" },
        { "zh_MO.UTF-8", TranslationTable::traditionalChinese, u8"開始", u8"註意" },
        { "zh_XX.UTF-8", TranslationTable::none, "Start", "attention" },
        { "zh", TranslationTable::none, "Start", "attention" }, // no country reads as "US"
        { "de_DE.UTF-8", TranslationTable::english, "Start", "Attention" },
        { "C", TranslationTable::english, "Start", "Attention" },
        { std::nullopt, TranslationTable::english, "Start", "Attention" },
    };

    for (const auto& c : cases)
    {
        const auto name = c.localeName.value_or ("(unset)");
        const ScopedEnvironmentVariable lcAll ("LC_ALL", c.localeName);
        const ScopedEnvironmentVariable lcMessages ("LC_MESSAGES", std::nullopt);
        const ScopedEnvironmentVariable lang ("LANG", std::nullopt);
        juce::LocalisedStrings::setCurrentMappings (nullptr);

        juce::LookAndFeel_V4 lookAndFeel;
        EXPECT_EQ (setUpLocalisation (lookAndFeel), c.expected) << name;
        EXPECT_EQ (juce::translate ("Start"), juce::String::fromUTF8 (c.start)) << name;
        EXPECT_EQ (juce::translate ("attention"), juce::String::fromUTF8 (c.attention)) << name;

        // "SimSun" where it is installed, otherwise the stand-in that draws both Chinese scripts.
        const auto face = lookAndFeel.getTypefaceForFont (juce::Font (14.0f));
        ASSERT_NE (face, nullptr);
        EXPECT_TRUE (face->getName() == "SimSun" || face->getName().containsIgnoreCase ("WenQuanYi")) << face->getName();
    }
}

TEST_F (Localisation, TablesHoldExactlyTheirEntriesThenTheAddedOnes)
{
    for (size_t column = 0; column < tableFiles.size(); ++column)
    {
        const auto& file = tableFiles[column];
        std::string expected = file.header;

        for (const auto& entry : entries)
            expected += makeEntryLines (entry, column);

        EXPECT_EQ (expected.size(), file.sizeBeforeAddedEntries) << file.header;

        for (const auto& entry : addedEntries)
            expected += makeEntryLines (entry, column);

        const std::string actual (file.data, (size_t) file.size);
        EXPECT_EQ (actual, expected) << file.header;
        EXPECT_EQ (getTranslationTableText (tables[column]).toStdString(), expected);
    }

    EXPECT_TRUE (getTranslationTableText (TranslationTable::none).isEmpty());
}

TEST_F (Localisation, EveryKeyTranslatesUnderEveryTable)
{
    for (size_t column = 0; column < tables.size(); ++column)
    {
        installTranslationTable (tables[column]);

        const auto expectTranslated = [column] (const Entry& entry)
        {
            const auto* text = entry.texts[column];
            EXPECT_EQ (juce::translate (entry.key), text != nullptr ? shownText (text) : juce::String (entry.key))
                << "table " << column << ", key " << entry.key;
        };

        for (const auto& entry : entries)
            expectTranslated (entry);

        for (const auto& entry : addedEntries)
            expectTranslated (entry);

        // Keys match case-sensitively; unknown keys show as written.
        EXPECT_EQ (juce::translate ("start"), "start");
        EXPECT_EQ (juce::translate ("path for FFMPEG"), "path for FFMPEG");
        EXPECT_EQ (juce::translate ("44100"), "44100");
    }

    EXPECT_EQ (juce::translate ("done_string"), juce::String::fromUTF8 (u8"\n\n全部完成!\n你可以檢查一下輸出文件，並關掉這個軟件。"));
}

TEST_F (Localisation, WithoutATableEveryKeyShowsAsWritten)
{
    installTranslationTable (TranslationTable::none);

    for (const auto* key : { "Start", "Sample Rate:", "converting:", "done_string", "exit_when_running", "attention", "file_not_converted" })
        EXPECT_EQ (juce::translate (key), key);
}
