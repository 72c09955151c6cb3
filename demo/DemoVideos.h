#pragma once

#include <QString>

#include <vector>

// The exercise videos of the demo: short clips drawn by the terminal's own code, with the
// exercise's name on them, encoded by ffmpeg in the formats gyms hold (MP4 with H.264, WMV, AVI,
// WebM). They are made once per demo folder, apart from its databases, which tests write often.
namespace demo {

struct DemoVideo {
    QString file;     // the full path the exercise catalogue names
    QString exercise; // shown on the clip
};

// The videos the demo catalogue of a folder points at, in its "videos" subfolder.
std::vector<DemoVideo> demoVideos(const QString& folder);

// Makes the clips of the folder that are not there yet; returns how many it made. Throws
// std::runtime_error when ffmpeg cannot make one.
int writeDemoVideos(const QString& folder);

// One clip of the given length; its format follows the file's extension (.mp4, .wmv, .avi,
// .webm). Throws std::runtime_error when ffmpeg cannot make it.
void writeExerciseClip(const QString& file, const QString& title, double seconds);

} // namespace demo
