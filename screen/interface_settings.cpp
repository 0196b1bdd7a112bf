#include "screen/interface_settings.h"

#include <cstring>

#include "store/record_bytes.h"

void write_interface_settings_bytes(const InterfaceSettings& s,
                                    uint8_t out[INTERFACE_SETTINGS_SIZE]) {
  std::memcpy(out, s.stored, INTERFACE_SETTINGS_SIZE);
  put_i16_le(out + 0, s.glide_delay);
  put_i16_le(out + 2, s.message_box_option);
  put_i16_le(out + 4, s.dialog_option);
  out[6] = s.date_format;
  out[7] = s.nc_key_map;
  out[8] = s.tab_width;
  out[10] = s.applied_band;
  out[11] = s.display_choice;
  out[12] = s.current_drive;
  out[13] = s.hint_box;
  out[15] = s.shading_style;
  out[16] = s.caret_option;
  out[17] = s.blink_setting;
  out[19] = s.list_option;
  out[20] = s.dot_count;
  out[21] = s.extra_scroll;
  out[22] = s.box_style;
  put_i16_le(out + 24, s.list_offset);
  put_i16_le(out + 30, s.caret_word);
  put_i16_le(out + 32, s.file_sort);
  put_i16_le(out + 34, s.tree_option);
  out[39] = s.bar_style;
  out[41] = s.editor_face;
  out[43] = s.shading_option;
  put_i16_le(out + 44, s.form_x);
  put_i16_le(out + 46, s.form_y);
  put_i16_le(out + 48, s.print_top_margin);
  put_i16_le(out + 50, s.print_bottom_margin);
  put_i16_le(out + 52, s.print_left_margin);
  put_i16_le(out + 54, s.print_right_margin);
  out[56] = s.print_name_line;
  out[57] = s.print_page_numbers;
  out[62] = s.print_font_size;
  out[63] = s.editor_option;
  for (int i = 0; i < 3; ++i) put_i16_le(out + 64 + 2 * i, s.user_keys[i]);
  put_i16_le(out + 70, s.client_width);
  put_i16_le(out + 72, s.client_height);
}

void read_interface_settings_bytes(const uint8_t in[INTERFACE_SETTINGS_SIZE],
                                   InterfaceSettings* s) {
  std::memcpy(s->stored, in, INTERFACE_SETTINGS_SIZE);
  s->glide_delay = get_i16_le(in + 0);
  s->message_box_option = get_i16_le(in + 2);
  s->dialog_option = get_i16_le(in + 4);
  s->date_format = in[6];
  s->nc_key_map = in[7];
  s->tab_width = in[8];
  s->applied_band = in[10];
  s->display_choice = in[11];
  s->current_drive = in[12];
  s->hint_box = in[13];
  s->shading_style = in[15];
  s->caret_option = in[16];
  s->blink_setting = in[17];
  s->list_option = in[19];
  s->dot_count = in[20];
  s->extra_scroll = in[21];
  s->box_style = in[22];
  s->list_offset = get_i16_le(in + 24);
  s->caret_word = get_i16_le(in + 30);
  s->file_sort = get_i16_le(in + 32);
  s->tree_option = get_i16_le(in + 34);
  s->bar_style = in[39];
  s->editor_face = in[41];
  s->shading_option = in[43];
  s->form_x = get_i16_le(in + 44);
  s->form_y = get_i16_le(in + 46);
  s->print_top_margin = get_i16_le(in + 48);
  s->print_bottom_margin = get_i16_le(in + 50);
  s->print_left_margin = get_i16_le(in + 52);
  s->print_right_margin = get_i16_le(in + 54);
  s->print_name_line = in[56];
  s->print_page_numbers = in[57];
  s->print_font_size = in[62];
  s->editor_option = in[63];
  for (int i = 0; i < 3; ++i) s->user_keys[i] = get_i16_le(in + 64 + 2 * i);
  s->client_width = get_i16_le(in + 70);
  s->client_height = get_i16_le(in + 72);
}
