# SPDX-License-Identifier: BSD-3-Clause
# The codec library's sources, listed once: the main build (codec/src) and the
# fuzz targets both take them from here. Each group is written relative to
# codec/src; the lists below hold absolute paths.
set(ZEM_CODEC_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/src)

# File I/O, in-memory streams, text conversions.
set(ZEM_CODEC_IO_SOURCES
    io/decimal_text.cpp
    io/memory_stream.cpp
    io/path_text.cpp
    io/text_convert.cpp
    io/win32_file.cpp)

# The stream container: header reading, stream information, wave format, result codes and queries.
set(ZEM_CODEC_CONTAINER_SOURCES
    container/codec_error.cpp
    container/header_check.cpp
    container/header_current.cpp
    container/header_derive.cpp
    container/header_old.cpp
    container/header_parse.cpp
    container/header_reader.cpp
    container/stream_extent.cpp
    container/stream_info.cpp
    container/stream_start.cpp
    container/wave_format.cpp)

# The ZEM tag and ID3v1 records.
set(ZEM_CODEC_TAG_SOURCES
    tag/genre_names.cpp
    tag/id3v1.cpp
    tag/tag_area.cpp
    tag/tag_area_rewrite.cpp
    tag/tag_block.cpp
    tag/tag_changes.cpp
    tag/tag_footer.cpp
    tag/tag_item.cpp
    tag/tag_item_format.cpp
    tag/tag_stream_end.cpp
    tag/tag_text.cpp)

# Image-link files.
set(ZEM_CODEC_LINK_SOURCES
    link/link_file.cpp
    link/remote_path.cpp)

# Cue sheets: reading them (from a file or an image's tag) and writing one link file per track.
set(ZEM_CODEC_CUE_SOURCES
    cue/cue_sheet_file.cpp
    cue/cue_sheet_parse.cpp
    cue/cue_time_block.cpp
    cue/embedded_cue_sheet.cpp
    cue/key_index.cpp
    cue/link_builder.cpp
    cue/link_warnings.cpp
    cue/link_writer.cpp
    cue/naming_template.cpp)

# Bit readers, the range decoder and the frame check.
set(ZEM_CODEC_CODING_SOURCES
    coding/bit_reader.cpp
    coding/frame_crc.cpp
    coding/frame_crc_fold.cpp
    coding/range_bit_reader.cpp
    coding/range_symbols.cpp)

# Predictors and adaptive filters, shared by decoder and encoder.
set(ZEM_CODEC_MODEL_SOURCES
    model/adaptive_filter.cpp
    model/filter_chain.cpp
    model/predictor.cpp
    model/predictor_3930.cpp
    model/predictor_3950.cpp)

# Vector kernels of the adaptive filters, chosen at run time.
set(ZEM_CODEC_DSP_SOURCES
    dsp/cpu_features.cpp
    dsp/filter_dispatch.cpp
    dsp/filter_kernels_avx2.cpp
    dsp/filter_kernels_avx512.cpp
    dsp/filter_kernels_scalar.cpp
    dsp/filter_kernels_sse2.cpp)

# The decoder interface, the factory and block ranges.
set(ZEM_CODEC_DECODE_SOURCES
    decode/create_bit_reader.cpp
    decode/decoder_factory.cpp
    decode/block_range_queries.cpp)

# The decoder of streams from version 3930.
set(ZEM_CODEC_DECODE_CURRENT_SOURCES
    decode/current/block_ring.cpp
    decode/current/frame_blocks.cpp
    decode/current/frame_decoder.cpp
    decode/current/frame_loop.cpp)

# The decoder of streams up to version 3920.
set(ZEM_CODEC_DECODE_OLDER_SOURCES
    decode/older/inverse_predictor.cpp
    decode/older/inverse_predictor_blocks.cpp
    decode/older/inverse_predictor_high.cpp
    decode/older/inverse_predictor_low.cpp
    decode/older/inverse_predictor_mid.cpp
    decode/older/older_channel_decoder.cpp
    decode/older/older_decoder.cpp
    decode/older/older_frame_reader.cpp
    decode/older/older_output.cpp
    decode/older/rice_bit_reader.cpp
    decode/older/rice_generations.cpp
    decode/older/sign_cascade.cpp)

# The encoder.
set(ZEM_CODEC_ENCODE_SOURCES
    encode/encoder.cpp
    encode/forward_predictor.cpp
    encode/frame_check.cpp
    encode/frame_encoder.cpp
    encode/frame_pipeline.cpp
    encode/frame_tamper.cpp
    encode/level_trial.cpp
    encode/md5.cpp
    encode/range_encoder.cpp
    encode/stream_writer.cpp
    encode/wave_reader.cpp)

set(ZEM_CODEC_SOURCES
    ${ZEM_CODEC_IO_SOURCES}
    ${ZEM_CODEC_CONTAINER_SOURCES}
    ${ZEM_CODEC_TAG_SOURCES}
    ${ZEM_CODEC_LINK_SOURCES}
    ${ZEM_CODEC_CUE_SOURCES}
    ${ZEM_CODEC_CODING_SOURCES}
    ${ZEM_CODEC_MODEL_SOURCES}
    ${ZEM_CODEC_DSP_SOURCES}
    ${ZEM_CODEC_DECODE_SOURCES}
    ${ZEM_CODEC_DECODE_CURRENT_SOURCES}
    ${ZEM_CODEC_DECODE_OLDER_SOURCES}
    ${ZEM_CODEC_ENCODE_SOURCES})

# The predictors store a few 32-bit values and read them back at once: they are
# built without the compiler's vectorizer (see codec/src/CMakeLists.txt).
set(ZEM_CODEC_NO_VECTORIZE_SOURCES model/predictor_3930.cpp model/predictor_3950.cpp model/adaptive_filter.cpp)

foreach(list ZEM_CODEC_SOURCES ZEM_CODEC_DSP_SOURCES ZEM_CODEC_NO_VECTORIZE_SOURCES)
  list(TRANSFORM ${list} PREPEND ${ZEM_CODEC_SOURCE_DIR}/)
endforeach()
