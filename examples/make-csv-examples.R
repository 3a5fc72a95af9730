# Writes the CSV examples from R's datasets package (run: Rscript make-csv-examples.R):
# airquality.csv as R writes it (comma, quoted names, NA for missing values) and
# plantgrowth-wide.csv as a German spreadsheet keeps it (semicolon, decimal comma, one column
# per group).
write.csv(airquality, "airquality.csv", row.names = FALSE)
write.csv2(unstack(PlantGrowth), "plantgrowth-wide.csv", row.names = FALSE)
