#include "lib/ogg_encoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace rktools {

std::string encodeOgg(const OggInput& input) {
  std::string out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, input.channels, input.rate, input.quality) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  for (const std::string& text : input.comments) vorbis_comment_add(&comment, text.c_str());
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, input.serial);
  ogg_page page;
  ogg_packet packet;
  auto writePage = [&] {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
  };

  ogg_packet headers[3];
  vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
  for (ogg_packet& header : headers) ogg_stream_packetin(&stream, &header);
  while (ogg_stream_flush(&stream, &page)) writePage();

  auto drain = [&] {
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) writePage();
      }
    }
  };
  const long chunk = 1024;
  for (long done = 0; done < input.frames; done += chunk) {
    const long n = std::min(chunk, input.frames - done);
    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
    for (int c = 0; c < input.channels; ++c)
      for (long i = 0; i < n; ++i) buffer[c][i] = input.signal ? input.signal(c, done + i) : 0.0f;
    vorbis_analysis_wrote(&dsp, static_cast<int>(n));
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page)) writePage();

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace rktools
