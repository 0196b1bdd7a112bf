// The editor of the DXF layer-name table: a list of the DXF layer names whose lines open form
// 1018 (the entry's cut type, group, depths, tools and colour). Accepted, the table is written to
// KR_layer.KR5; cancelled, the file stays and the table is read again on next use.
#pragma once

#include "screen/event_queue.h"

// 1 when the list was accepted (and the table written, or the failure told), 0 cancelled.
int edit_dxf_layer_names();
EventCode dxf_layer_list_key();
// Form 1018 on the table's entry `index`: 1 accepted.
int dxf_layer_entry_form(int index);
EventCode dxf_layer_entry_field();
