// What each format contributes: a header probe over a reader and a decoder
// over the whole file. picture_probe.cpp and picture_decoder.cpp pick one by
// the leading bytes.
#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "platform/image/picture.h"

namespace platform::image {

// Probes give the stored size, unchecked against the limits.
std::optional<PictureInfo> ProbeJpeg(ByteReader& reader, const PictureLimits& limits);
std::optional<PictureInfo> ProbePng(ByteReader& reader, const PictureLimits& limits);
std::optional<PictureInfo> ProbeGif(ByteReader& reader);
std::optional<PictureInfo> ProbeBmp(ByteReader& reader);

// `info` is the probe's answer, already within the limits. Null when the
// file turns out to be unusable at this stage.
std::unique_ptr<PictureDecoder> OpenJpeg(ByteData bytes, PictureInfo info,
                                         const PictureLimits& limits, Rgb background);
std::unique_ptr<PictureDecoder> OpenPng(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background);
std::unique_ptr<PictureDecoder> OpenGif(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background);
std::unique_ptr<PictureDecoder> OpenBmp(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background);

// A still picture decoded anew for each size from the file's bytes. `Run`
// holds one decode's state (made from the bytes and the limits, with a
// `scaler` that the decode fills row by row); `decode` runs it.
template <typename Run, bool (*decode)(Run&, int, int, Rgb)>
class StillPictureDecoder final : public PictureDecoder {
 public:
  StillPictureDecoder(ByteData bytes, PictureInfo info, const PictureLimits& limits,
                      Rgb background)
      : PictureDecoder(info, limits, background), bytes_(std::move(bytes)) {}

 protected:
  std::optional<PictureFrame> Render(int, int outWidth, int outHeight) override {
    const auto run = std::make_unique<Run>(bytes_, limits_);
    if (!decode(*run, outWidth, outHeight, background_)) return std::nullopt;
    return run->scaler->Finish();
  }

 private:
  ByteData bytes_;
};

}  // namespace platform::image
