// Writes groups.por, the data of groups.sav as an SPSS portable file, through libreadstat's
// writer (no program at hand writes portable files). Portable files take upper-case names.
//   g++ -std=c++20 make-por.cpp -lreadstat -o make-por && ./make-por
#include <readstat.h>

#include <cmath>
#include <cstdio>

namespace {

ssize_t write(const void* data, size_t length, void* file) {
    return static_cast<ssize_t>(std::fwrite(data, 1, length, static_cast<FILE*>(file)));
}

} // namespace

int main() {
    FILE* out = std::fopen("groups.por", "wb");
    if (out == nullptr) {
        return 1;
    }
    readstat_writer_t* w = readstat_writer_init();
    readstat_set_data_writer(w, write);

    readstat_label_set_t* groups = readstat_add_label_set(w, READSTAT_TYPE_DOUBLE, "GROUPS");
    readstat_label_double_value(groups, 1, "control");
    readstat_label_double_value(groups, 2, "low");
    readstat_label_double_value(groups, 3, "high");

    readstat_variable_t* group = readstat_add_variable(w, "GROUP", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_label_set(group, groups);
    readstat_variable_t* score = readstat_add_variable(w, "SCORE", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_add_missing_double_value(score, -9);
    readstat_variable_add_missing_double_range(score, 990, 999);
    readstat_variable_t* count = readstat_add_variable(w, "COUNT", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_t* name = readstat_add_variable(w, "NAME", READSTAT_TYPE_STRING, 8);

    const double groupValues[] = {1, 2, 3, 1, 2, 3, 4, 1};
    const double scoreValues[] = {4.17, 5.58, -9, NAN, 995, 0.00225, 1e10, 1.23456789012345678};
    const double countValues[] = {12, 7, 3, 5, 0, -4, 1000000, 2};
    const char* nameValues[] = {"ann", "bob", "", "cy", "dee", "eve", "fay", "gus"};

    readstat_begin_writing_por(w, out, 8);
    for (int i = 0; i < 8; ++i) {
        readstat_begin_row(w);
        readstat_insert_double_value(w, group, groupValues[i]);
        if (std::isnan(scoreValues[i])) {
            readstat_insert_missing_value(w, score);
        } else {
            readstat_insert_double_value(w, score, scoreValues[i]);
        }
        readstat_insert_double_value(w, count, countValues[i]);
        readstat_insert_string_value(w, name, nameValues[i]);
        readstat_end_row(w);
    }
    const readstat_error_t err = readstat_end_writing(w);
    readstat_writer_free(w);
    std::fclose(out);
    if (err != READSTAT_OK) {
        std::fprintf(stderr, "%s\n", readstat_error_message(err));
        return 1;
    }
    return 0;
}
