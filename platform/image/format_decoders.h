// What each format contributes: a header probe over a reader and a decoder
// over the whole file. picture_probe.cpp and picture_decoder.cpp pick one by
// the leading bytes.
#pragma once

#include <memory>
#include <optional>

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

}  // namespace platform::image
