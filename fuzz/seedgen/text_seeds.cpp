#include "insert_string_input.h"
#include "seeds.h"

#include <string_view>

namespace dm::seeds {

namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

std::vector<Seed> DisplayConfigSeeds() {
    return {
        {"shipped.txt", Bytes("// Display settings\n"
                              "width 111\n"
                              "height 68\n"
                              "\n"
                              "tileset data/image/curses.png\n"
                              "pallet data/image/pallet.png\n"
                              "title Duskmarch\n"
                              "scale 1\n"
                              "autosave 60\n")},
        {"mixed_case_crlf.txt", Bytes("WIDTH 80\r\nHeight 25\r\nScale 2\r\nTITLE Dusk\r\n")},
        {"quoted.txt", Bytes("title \"Dusk, march // not a comment\"\n"
                             "tileset \"data\\image\\curses.png\"\n"
                             "pallet ?USE_DEAFULT\n")},
        {"tabs_and_comments.txt", Bytes("width\t96 // cells across\n"
                                        "height\t 32\t\n"
                                        "// scale 9\n"
                                        "ab\n"
                                        "scale +3")},
        {"numbers.txt", Bytes("width -2147483648\nheight 99999999999\nscale 0x10\nautosave $3C\n")},
    };
}

std::vector<Seed> ConfigLineSeeds() {
    return {
        {"keyword.txt", Bytes("width 111")},
        {"quoted.txt", Bytes("title \"Dusk, march\" // comment")},
        {"unterminated.txt", Bytes("title \"Dusk")},
        {"arguments.txt", Bytes("scale 1,2,3,4,5,6,7,8,9,10,11")},
        {"blanks.txt", Bytes("\t  tileset\tdata\\image\\curses.png \r")},
        {"comment.txt", Bytes("// width 3")},
    };
}

std::vector<Seed> InsertStringSeeds() {
    const std::string_view lineBreaks = "one\xFFtwo\xFF\xFFthree";
    return {
        {"plain.bin", MakeInsertStringInput({2, 1, 14, 1, "Hello, march"})},
        {"color_codes.bin", MakeInsertStringInput({0, 0, 7, 0, "@12@red@3@cyan@@plain@9"})},
        {"line_breaks.bin", MakeInsertStringInput({5, 3, 255, 255, lineBreaks})},
        {"past_edge.bin", MakeInsertStringInput({20, 7, 1, 2, "runs off the right edge"})},
        {"above_map.bin", MakeInsertStringInput({0, -2, 4, 5, "\xFF\xFFin from above"})},
        {"left_of_map.bin", MakeInsertStringInput({-1, 0, 4, 5, "never shown"})},
    };
}

std::vector<Seed> ReplaySeeds() {
    return {
        {"session.txt", Bytes("# a session\nmove 200 100\npress 78\nframe 2\nkey down 160\n"
                              "button down 1\nframe 3\nbutton up 1\nkey up 160\nwheel -2\n")},
        {"answers.txt", Bytes("frame 1\r\npress 83\r\nanswer maps/town.dtm\r\nchoose 0\r\n"
                              "answer\r\nscreenshot shot.png\r\ndrop maps/cave.xp\r\nend\r\n")},
        {"focus.txt", Bytes("  char 72\nchar 105\nfocus lost\nfocus gained\nclose\n")},
    };
}

std::vector<Seed> LabelSeeds() {
    // The first two bytes are the label's width and height plus 4.
    return {
        {"help.bin", Bytes("\x44\x1E   == GUIDE ==  \xFF[s] save\xFF\xFF[Tab] cycle\xFF")},
        {"words.bin", Bytes("\x0E\x07"
                            "aaa bbb ccc ddd")},
        {"long_word.bin", Bytes("\x0A\x07"
                                "ab cdefghijklmnopqrstu")},
        {"message.bin", Bytes("\x28\x09Too many canvases; you cannot create another.")},
    };
}

} // namespace dm::seeds
