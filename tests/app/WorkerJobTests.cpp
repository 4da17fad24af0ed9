#include "app/HID_Write_Thread.h"

#include <gtest/gtest.h>

TEST (HID_Write_Thread, BuildsTheConverterCallPieceByPiece)
{
    HID_Write_Thread worker;
    EXPECT_EQ (worker.getThreadName(), "HID_Write_Thread");
    EXPECT_EQ (worker.waitMilliseconds, 10);

    const WorkerJob job { "/music/a song.mp3", "/music/KIV_Wav/.a song.wav", "-ac 1 -acodec pcm_s16le -ar 44100", {}, "-y -v info" };

    // An empty converter path, and the two blanks after "-i" and after the empty extra options.
    EXPECT_EQ (worker.buildFfmpegCommandLine (job),
               R"("" -i  "/music/a song.mp3"  -ac 1 -acodec pcm_s16le -ar 44100 "/music/KIV_Wav/.a song.wav" -y -v info)");

    worker.converterPath = "/opt/ffmpeg/ffmpeg";
    auto withExtras = job;
    withExtras.extraOptions = "-vn";
    EXPECT_EQ (worker.buildFfmpegCommandLine (withExtras),
               R"("/opt/ffmpeg/ffmpeg" -i  "/music/a song.mp3" -vn -ac 1 -acodec pcm_s16le -ar 44100 "/music/KIV_Wav/.a song.wav" -y -v info)");

    EXPECT_EQ (worker.buildFfmpegArguments (withExtras),
               juce::StringArray ({ "/opt/ffmpeg/ffmpeg", "-i", "/music/a song.mp3", "-vn", "-ac", "1", "-acodec", "pcm_s16le",
                                    "-ar", "44100", "/music/KIV_Wav/.a song.wav", "-y", "-v", "info" }));

    // A relative name that looks like an option reaches the converter as a path.
    auto optionLike = job;
    optionLike.inputPath = "-f.mp3";
    EXPECT_EQ (worker.buildFfmpegArguments (optionLike)[2],
               juce::File::getCurrentWorkingDirectory().getChildFile ("-f.mp3").getFullPathName());
}

TEST (HID_Write_Thread, NamesTheOutputAfterTheInputWithoutItsLastExtension)
{
    // The rest of the name rules are those of the converter's own road.
    for (const auto& [input, output] : { std::pair ("/music/noextension", "/music/KIV_Wav/noextension.wav"),
                                         std::pair ("/music/album.v2/track", "/music/album.v2/KIV_Wav/track.wav") })
    {
        const auto paths = HID_Write_Thread::getOutputPathsFor (input);

        EXPECT_EQ (paths.folder, juce::File (output).getParentDirectory()) << input;
        EXPECT_EQ (paths.output.getFullPathName(), output);
        EXPECT_EQ (paths.temporary, juce::File (output).getSiblingFile ("." + juce::File (output).getFileName()));
    }
}
