#include "app/ProgressFields.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{

struct Fields
{
    float frame, fps, q, size, timeSeconds, bitrate, speed;
};

Fields fieldsOf (const ProgressFields& p)
{
    return { p.frame, p.fps, p.q, p.size, p.timeSeconds, p.bitrate, p.speed };
}

void expectFields (const ProgressFields& p, const Fields& expected)
{
    const auto actual = fieldsOf (p);
    EXPECT_FLOAT_EQ (actual.frame, expected.frame);
    EXPECT_FLOAT_EQ (actual.fps, expected.fps);
    EXPECT_FLOAT_EQ (actual.q, expected.q);
    EXPECT_FLOAT_EQ (actual.size, expected.size);
    EXPECT_FLOAT_EQ (actual.timeSeconds, expected.timeSeconds);
    EXPECT_FLOAT_EQ (actual.bitrate, expected.bitrate);
    EXPECT_FLOAT_EQ (actual.speed, expected.speed);
}

void setFields (ProgressFields& p, const Fields& f)
{
    p.frame = f.frame;
    p.fps = f.fps;
    p.q = f.q;
    p.size = f.size;
    p.timeSeconds = f.timeSeconds;
    p.bitrate = f.bitrate;
    p.speed = f.speed;
}

const Fields earlier { 1, 2, 3, 4, 5, 6, 7 };

} // namespace

TEST (ProgressFields, ReadsProgressReports)
{
    const struct
    {
        const char* line;
        bool isReport;
        Fields expected; // from the earlier fields
    } cases[] = {
        { "frame= 240 fps=0.0 q=28.0 size= 1024kB time=00:01:02.50 bitrate= 134.2kbits/s speed=12.5x\r\n",
          true,
          { 240, 0, 28, 1024, 62.5f, 134.2f, 12.5f } },
        // Audio-only output has no frame, fps or q: those keep their values.
        { "size=     512kB time=00:00:10.00 bitrate= 419.4kbits/s speed=20.1x    \r\n",
          true,
          { 1, 2, 3, 512, 10, 419.4f, 20.1f } },
        // A key's text inside an earlier value is not taken for the key.
        { "frame=q=9 fps=25 q=-1.0 size=64kB time=00:00:01.00 bitrate=N/A speed=1x\n",
          true,
          { 0, 25, -1, 64, 1, 0, 1 } },
        { "frame=  10 fps=25 size=64kB time=00:00:01.00 bitrate=1kbits/s speed=1x\n", true, earlier },
        { "size=64kB time=00:00:01.00 speed=1x\n", true, earlier },
        { " frame=  10 fps=25 q=1 size=64kB time=00:00:01.00 bitrate=1kbits/s speed=1x\n", false, earlier },
        { "video:0kB audio:862kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 0.008833%\n", false, earlier },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.line);
        ProgressFields progress;
        setFields (progress, earlier);

        EXPECT_EQ (progress.parseFfmpegOutputLine (c.line), c.isReport);
        expectFields (progress, c.expected);
        EXPECT_FLOAT_EQ (progress.durationSeconds, 0.0f);
    }
}

TEST (ProgressFields, ReadsTheDurationReportButNotAtTheStartOfALine)
{
    const struct
    {
        const char* line;
        float expected;
    } cases[] = {
        { "  Duration: 00:03:25.12, start: 0.025057, bitrate: 128 kb/s\n", 205.12f },
        { "  Duration: N/A, bitrate: N/A\n", 0.0f },
        { "  Duration: 00:00:03.00\n", 0.0f }, // no "," after it
        { "Duration: 00:03:25.12, start: 0.0\n", 42.0f },
        { "  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n", 42.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.line);
        ProgressFields progress;
        progress.durationSeconds = 42.0f;

        EXPECT_FALSE (progress.parseFfmpegOutputLine (c.line));
        EXPECT_FLOAT_EQ (progress.durationSeconds, c.expected);
    }
}

TEST (ProgressFields, CopiesEveryLineToItsLogStreamBehindATimestamp)
{
    ProgressFields progress;
    auto* log = new juce::MemoryOutputStream();
    progress.logStream.reset (log);

    progress.parseFfmpegOutputLine ("  Duration: 00:00:01.00, start: 0\n");
    progress.parseFfmpegOutputLine ("size=1kB time=00:00:00.50 bitrate=1kbits/s speed=1x\r\n");
    progress.parseFfmpegOutputLine (juce::CharPointer_UTF8 ("Input #0, wav, from '/music/\xc3\xa9t\xc3\xa9.wav':\n"));

    const std::regex expected (R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]  Duration: 00:00:01\.00, start: 0\n)"
                               R"(\[[-0-9 :.]{23}\]size=1kB time=00:00:00\.50 bitrate=1kbits/s speed=1x\r\n)"
                               R"(\[[-0-9 :.]{23}\]Input #0, wav, from '/music/\xc3\xa9t\xc3\xa9\.wav':\n)");
    const auto written = log->toString().toStdString();
    EXPECT_TRUE (std::regex_match (written, expected)) << written;
}
