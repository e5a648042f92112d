// SPDX-License-Identifier: BSD-3-Clause
/* Type finders for ZEM streams and ZLK link files. */
#ifndef GST_ZEM_TYPEFIND_H
#define GST_ZEM_TYPEFIND_H

#include <gst/gst.h>

G_BEGIN_DECLS

#define ZEM_STREAM_CAPS "audio/x-zem"
#define ZEM_LINK_CAPS "application/x-zem-link"

gboolean zem_typefind_register(GstPlugin* plugin);

G_END_DECLS

#endif
