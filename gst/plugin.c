/* SPDX-License-Identifier: BSD-3-Clause */
/* The zem plugin: the zemdec element and the type finders that lead decodebin to it. */
#include "gst/zem_dec.h"
#include "gst/zem_typefind.h"

static gboolean plugin_init(GstPlugin* plugin) {
    return zem_typefind_register(plugin) &&
           gst_element_register(plugin, "zemdec", GST_RANK_PRIMARY, GST_TYPE_ZEM_DEC);
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, zem, "ZEM lossless audio: ZEM streams and ZLK link files",
                  plugin_init, ZEM_PLUGIN_VERSION, "Proprietary", "ZemTools", ZEM_PLUGIN_ORIGIN)
