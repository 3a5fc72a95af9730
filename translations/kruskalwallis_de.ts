<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>FileDialogs</name>
    <message>
        <location filename="../src/app/dialogs/filedialogs.cpp" line="+72"/>
        <source>HTML files (*.html *.htm)</source>
        <translation>HTML-Dateien (*.html *.htm)</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+7"/>
        <source>all files (*.*)</source>
        <translation>alle Dateien (*.*)</translation>
    </message>
    <message>
        <location line="-1"/>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
</context>
<context>
    <name>ReportPrinting</name>
    <message>
        <location filename="../src/app/reportprinting.cpp" line="+32"/>
        <source>The report could not be written to %1: %2</source>
        <translation>Der Bericht konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>There are no results to report yet: press calculate first.</source>
        <translation>Es gibt noch keine Ergebnisse für einen Bericht: Drücken Sie zuerst auf „calculate“.</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Kruskal-Wallis report</source>
        <translation>Kruskal-Wallis-Bericht</translation>
    </message>
</context>
<context>
    <name>kw::app::AboutDialog</name>
    <message>
        <location filename="../src/app/dialogs/aboutdialog.cpp" line="+16"/>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>KRUSKAL-WALLIS</source>
        <translation>KRUSKAL-WALLIS</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>TEST</source>
        <translation>TEST</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Version: </source>
        <translation>Version: </translation>
    </message>
</context>
<context>
    <name>kw::app::BookSheetChooser</name>
    <message>
        <location filename="../src/app/dialogs/booksheetchooser.cpp" line="+38"/>
        <source>book:</source>
        <translation>Dokument:</translation>
    </message>
</context>
<context>
    <name>kw::app::CellText</name>
    <message>
        <location filename="../src/app/qtlocale.cpp" line="+23"/>
        <source>... (%1 characters)</source>
        <translation>... (%1 Zeichen)</translation>
    </message>
</context>
<context>
    <name>kw::app::CountsPage</name>
    <message>
        <location filename="../src/app/pages/countspage.cpp" line="+13"/>
        <source>Save Counts To Excel</source>
        <translation>Häufigkeiten in Excel speichern</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Writes the counts to the spreadsheet</source>
        <translation>Schreibt die Häufigkeiten in die Tabellenkalkulation</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>counts</source>
        <translation>Häufigkeiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The number of cases of each test value by group</source>
        <translation>Die Anzahl der Fälle jedes Testwerts nach Gruppe</translation>
    </message>
</context>
<context>
    <name>kw::app::DataTableModel</name>
    <message>
        <location filename="../src/app/pages/datatablemodel.cpp" line="+48"/>
        <source>Double-click to rename the variable</source>
        <translation>Doppelklicken, um die Variable umzubenennen</translation>
    </message>
</context>
<context>
    <name>kw::app::DataTableView</name>
    <message>
        <location filename="../src/app/pages/datatableview.cpp" line="+31"/>
        <source>Data table</source>
        <translation>Datentabelle</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The data: one variable per column, one case per row. Type in a cell to change its value.</source>
        <translation>Die Daten: eine Variable je Spalte, ein Fall je Zeile. Tippen Sie in eine Zelle, um ihren Wert zu ändern.</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Variable name</source>
        <translation>Variablenname</translation>
    </message>
</context>
<context>
    <name>kw::app::DescriptivesModel</name>
    <message>
        <location filename="../src/app/pages/descriptivesmodel.cpp" line="+77"/>
        <source>group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>letters</source>
        <translation>Buchstaben</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>n</source>
        <translation>n</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>median</source>
        <translation>Median</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>q1</source>
        <translation>Q1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>q3</source>
        <translation>Q3</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>min</source>
        <translation>Min</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>max</source>
        <translation>Max</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>mean rank</source>
        <translation>mittlerer Rang</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>rank sum</source>
        <translation>Rangsumme</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Groups that share a letter do not differ: their adjusted p is not below alpha</source>
        <translation>Gruppen mit einem gemeinsamen Buchstaben unterscheiden sich nicht: ihr adjustiertes p liegt nicht unter Alpha</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The number of cases</source>
        <translation>Die Anzahl der Fälle</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The first quartile, by R&apos;s default definition (type 7)</source>
        <translation>Das erste Quartil, nach der Standarddefinition von R (Typ 7)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The third quartile, by R&apos;s default definition (type 7)</source>
        <translation>Das dritte Quartil, nach der Standarddefinition von R (Typ 7)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The mean of the group&apos;s ranks in the whole ranking (ties get their mean rank)</source>
        <translation>Der Mittelwert der Ränge der Gruppe in der gesamten Rangfolge (Bindungen erhalten ihren mittleren Rang)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The sum of the group&apos;s ranks in the whole ranking</source>
        <translation>Die Summe der Ränge der Gruppe in der gesamten Rangfolge</translation>
    </message>
</context>
<context>
    <name>kw::app::DetailsPage</name>
    <message>
        <location filename="../src/app/pages/detailspage.cpp" line="+116"/>
        <location line="+485"/>
        <source>p, exact:</source>
        <translation>p, exakt:</translation>
    </message>
    <message>
        <location line="-481"/>
        <source>99% interval:</source>
        <translation>99-%-Intervall:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The Clopper-Pearson interval of the Monte Carlo p</source>
        <translation>Das Clopper-Pearson-Intervall des Monte-Carlo-p</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>relabellings:</source>
        <translation>Umverteilungen:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Random relabellings of the cases the Monte Carlo p counts</source>
        <translation>Zufällige Umverteilungen der Fälle, die das Monte-Carlo-p zählt</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>over-all test:</source>
        <translation>Globaltest:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>H:</source>
        <translation>H:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The statistic, corrected for ties</source>
        <translation>Die Statistik, korrigiert für Bindungen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>df:</source>
        <translation>df:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>N:</source>
        <translation>N:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The cases included</source>
        <translation>Die eingeschlossenen Fälle</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>p, asymptotic:</source>
        <translation>p, asymptotisch:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>From the chi-square distribution</source>
        <translation>Aus der Chi-Quadrat-Verteilung</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>effect sizes:</source>
        <translation>Effektstärken:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ε²:</source>
        <translation>ε²:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Epsilon-squared, H / (N - 1)</source>
        <translation>Epsilon-Quadrat, H / (N - 1)</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+5"/>
        <source>95% interval:</source>
        <translation>95-%-Intervall:</translation>
    </message>
    <message>
        <location line="-5"/>
        <location line="+5"/>
        <source>Percentile bootstrap interval</source>
        <translation>Perzentil-Bootstrap-Intervall</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>η²(H):</source>
        <translation>η²(H):</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Eta-squared of H, (H - k + 1) / (N - k)</source>
        <translation>Eta-Quadrat von H, (H - k + 1) / (N - k)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>bootstrap:</source>
        <translation>Bootstrap:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Percentile bootstrap: each resample draws every group&apos;s cases anew from its own cases</source>
        <translation>Perzentil-Bootstrap: jede Stichprobe zieht die Fälle jeder Gruppe neu aus deren eigenen Fällen</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>method:</source>
        <translation>Methode:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>adjustment:</source>
        <translation>Adjustierung:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>control group:</source>
        <translation>Kontrollgruppe:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>copy</source>
        <translation>kopieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Copies the line for a paper to the clipboard</source>
        <translation>Kopiert die Zeile für eine Veröffentlichung in die Zwischenablage</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>for a paper:</source>
        <translation>für eine Veröffentlichung:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>groups (quartiles: R&apos;s type 7):</source>
        <translation>Gruppen (Quartile: Typ 7 von R):</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>pairwise comparisons:</source>
        <translation>Paarweise Vergleiche:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>methods:</source>
        <translation>Methoden:</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>exact p:</source>
        <translation>exaktes p:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>resamples:</source>
        <translation>Stichproben:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>seed:</source>
        <translation>Startwert:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>compute</source>
        <translation>berechnen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Computes the details for these choices</source>
        <translation>Berechnet die Details für diese Auswahl</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The descriptives of each group, with their letters</source>
        <translation>Die deskriptiven Statistiken jeder Gruppe, mit ihren Buchstaben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>pairwise comparisons</source>
        <translation>Paarweise Vergleiche</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Each pair of groups: the difference, its test statistic and p-values, and whether it is significant</source>
        <translation>Jedes Paar von Gruppen: der Unterschied, seine Teststatistik und p-Werte, und ob er signifikant ist</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>for a paper</source>
        <translation>für eine Veröffentlichung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The result as a line for a paper</source>
        <translation>Das Ergebnis als Zeile für eine Veröffentlichung</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>methods</source>
        <translation>Methoden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The methods paragraph</source>
        <translation>Der Methodenabschnitt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>status of the details</source>
        <translation>Stand der Details</translation>
    </message>
    <message>
        <location line="+88"/>
        <source>How the p of H is found besides the asymptotic one: auto, exactly when that is quick, else by Monte Carlo; always exactly, however long it takes; never, by Monte Carlo</source>
        <translation>Wie das p von H neben dem asymptotischen bestimmt wird: auto, exakt, wenn das schnell geht, sonst nach Monte Carlo; always, immer exakt, wie lange es auch dauert; never, nach Monte Carlo</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Bootstrap resamples and Monte Carlo relabellings, both; by default %1 and %2</source>
        <translation>Bootstrap-Stichproben und Monte-Carlo-Umverteilungen, beide; standardmäßig %1 und %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The random numbers&apos; seed: the same seed gives the same intervals and Monte Carlo p</source>
        <translation>Der Startwert der Zufallszahlen: derselbe Startwert ergibt dieselben Intervalle und dasselbe Monte-Carlo-p</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>How pairs of groups are compared</source>
        <translation>Wie Paare von Gruppen verglichen werden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dunn</source>
        <translation>Dunn</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Conover-Iman</source>
        <translation>Conover-Iman</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dwass-Steel-Critchlow-Fligner</source>
        <translation>Dwass-Steel-Critchlow-Fligner</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>How the p-values are adjusted for the number of pairs</source>
        <translation>Wie die p-Werte für die Anzahl der Paare adjustiert werden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Bonferroni</source>
        <translation>Bonferroni</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sidak</source>
        <translation>Sidak</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Holm</source>
        <translation>Holm</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Holm-Sidak</source>
        <translation>Holm-Sidak</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Hochberg</source>
        <translation>Hochberg</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Hommel</source>
        <translation>Hommel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Benjamini-Hochberg</source>
        <translation>Benjamini-Hochberg</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Benjamini-Yekutieli</source>
        <translation>Benjamini-Yekutieli</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Compare each group with this one only (Dunn and Conover-Iman)</source>
        <translation>Jede Gruppe nur mit dieser vergleichen (Dunn und Conover-Iman)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>none (all pairs)</source>
        <translation>keine (alle Paare)</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>No completed calculation to describe: press calculate first.</source>
        <translation>Keine abgeschlossene Berechnung zu beschreiben: drücken Sie zuerst auf berechnen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Not computed for these choices yet: press compute. With %1 cases this takes a while; Cancel in the status bar (or Escape) stops it.</source>
        <translation>Für diese Auswahl noch nicht berechnet: drücken Sie auf berechnen. Bei %1 Fällen dauert das eine Weile; Abbrechen in der Statusleiste (oder Escape) hält es an.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Computing...</source>
        <translation>Wird berechnet...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 by %2, %3 cases.</source>
        <translation>%1 nach %2, %3 Fälle.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Cancelled: nothing computed for these choices.</source>
        <translation>Abgebrochen: für diese Auswahl nichts berechnet.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Nothing computed for these choices.</source>
        <translation>Für diese Auswahl nichts berechnet.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>p, permutation:</source>
        <translation>p, Permutation:</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>No letters: each group is compared with the control group only.</source>
        <translation>Keine Buchstaben: jede Gruppe wird nur mit der Kontrollgruppe verglichen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>letters: groups that share a letter do not differ at alpha = %1 (by the adjusted p of the pairwise comparisons below).</source>
        <translation>Buchstaben: Gruppen mit einem gemeinsamen Buchstaben unterscheiden sich nicht auf dem Niveau Alpha = %1 (nach dem adjustierten p der paarweisen Vergleiche unten).</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>p, Monte Carlo:</source>
        <translation>p, Monte Carlo:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Over all assignments of the observed midranks to groups of the observed sizes</source>
        <translation>Über alle Zuordnungen der beobachteten Mittelränge zu Gruppen der beobachteten Größen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The share of random relabellings of the cases whose H is at least the observed one</source>
        <translation>Der Anteil zufälliger Umverteilungen der Fälle, deren H mindestens so groß ist wie das beobachtete</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 (seed %2)</source>
        <translation>%1 (Startwert %2)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>percentile, %1 resamples within groups (seed %2)</source>
        <translation>Perzentil, %1 Stichproben innerhalb der Gruppen (Startwert %2)</translation>
    </message>
</context>
<context>
    <name>kw::app::DetailsTableView</name>
    <message>
        <location filename="../src/app/pages/detailstableview.cpp" line="+43"/>
        <source>Descriptives</source>
        <translation>Deskriptive Statistiken</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>One row per group: its letters, n, median, quartiles, extremes, mean rank and rank sum. Click a column&apos;s header to sort by it.</source>
        <translation>Eine Zeile je Gruppe: ihre Buchstaben, n, Median, Quartile, Extremwerte, mittlerer Rang und Rangsumme. Klicken Sie auf einen Spaltenkopf, um danach zu sortieren.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Pairwise comparisons</source>
        <translation>Paarweise Vergleiche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>One row per pair of groups: the statistic, p, adjusted p and the difference of the mean ranks. Click a column&apos;s header to sort by it.</source>
        <translation>Eine Zeile je Paar von Gruppen: die Statistik, p, adjustiertes p und die Differenz der mittleren Ränge. Klicken Sie auf einen Spaltenkopf, um danach zu sortieren.</translation>
    </message>
</context>
<context>
    <name>kw::app::DialogParts</name>
    <message>
        <location filename="../src/app/dialogs/dialogparts.cpp" line="+61"/>
        <source>visit Kruskal-Wallis test page</source>
        <translation>Seite zum Kruskal-Wallis-Test besuchen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>kw::app::DisclaimerDialog</name>
    <message>
        <location filename="../src/app/dialogs/disclaimerdialog.cpp" line="+20"/>
        <source>Disclaimer</source>
        <translation>Haftungsausschluss</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>I agree</source>
        <translation>Ich stimme zu</translation>
    </message>
</context>
<context>
    <name>kw::app::EditQuestions</name>
    <message>
        <location filename="../src/app/dialogs/editquestions.cpp" line="+17"/>
        <source>The data table has changes that were not saved.</source>
        <translation>Die Datentabelle enthält Änderungen, die nicht gespeichert wurden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Do you want to save them?</source>
        <translation>Möchten Sie sie speichern?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>When the program last ended, the data table had changes that were not saved. A copy of the table was kept on %1.</source>
        <translation>Als das Programm zuletzt beendet wurde, enthielt die Datentabelle nicht gespeicherte Änderungen. Eine Kopie der Tabelle wurde am %1 aufbewahrt.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Do you want to restore it? Discard deletes the copy.</source>
        <translation>Möchten Sie sie wiederherstellen? Verwerfen löscht die Kopie.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>It was deleted.</source>
        <translation>Sie wurde gelöscht.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It was renamed to %1 and is not offered again.</source>
        <translation>Sie wurde in %1 umbenannt und wird nicht mehr angeboten.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The copy of the data table kept when the program last ended cannot be read: %1</source>
        <translation>Die beim letzten Beenden des Programms aufbewahrte Kopie der Datentabelle kann nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>kw::app::FileDialogs</name>
    <message>
        <location filename="../src/app/dialogs/filedialogs.cpp" line="+7"/>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+8"/>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <location line="-1"/>
        <source>Excel workbooks (*.xlsx)</source>
        <translation>Excel-Arbeitsmappen (*.xlsx)</translation>
    </message>
</context>
<context>
    <name>kw::app::FrozenColumnView</name>
    <message>
        <location filename="../src/app/pages/frozencolumnview.cpp" line="+84"/>
        <source>%1, first column</source>
        <translation>%1, erste Spalte</translation>
    </message>
</context>
<context>
    <name>kw::app::GridView</name>
    <message>
        <location filename="../src/app/pages/gridview.cpp" line="+83"/>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Copy with &amp;headers</source>
        <translation>Mit &amp;Überschriften kopieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Select &amp;all</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Save as CSV...</source>
        <translation>Als CSV &amp;speichern...</translation>
    </message>
    <message>
        <location line="+248"/>
        <source>The clipboard holds the first %1 of the %2 rows selected: a copy takes at most %3 cells.</source>
        <translation>Die Zwischenablage enthält die ersten %1 der %2 ausgewählten Zeilen: Eine Kopie fasst höchstens %3 Zellen.</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+26"/>
        <source>cannot write the file %1: %2</source>
        <translation>die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <location line="-18"/>
        <source>Saving %1</source>
        <translation>%1 wird gespeichert</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>kw::app::GroupsPage</name>
    <message>
        <location filename="../src/app/pages/groupspage.cpp" line="+13"/>
        <source>summary of the groups</source>
        <translation>Übersicht der Gruppen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Number, rank sum and median of each group</source>
        <translation>Anzahl, Rangsumme und Median jeder Gruppe</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The test values of each group</source>
        <translation>Die Testwerte jeder Gruppe</translation>
    </message>
</context>
<context>
    <name>kw::app::HelpWindow</name>
    <message>
        <location filename="../src/app/dialogs/helpwindow.cpp" line="+25"/>
        <source>General Information</source>
        <translation>Allgemeine Informationen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Practice</source>
        <translation>Übung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Manual Input</source>
        <translation>Manuelle Eingabe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Read Text file</source>
        <translation>Textdatei lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Read Excel file</source>
        <translation>Excel-Datei lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Grouping  and Test variables</source>
        <translation>Gruppierungs- und Testvariable</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Define Selection</source>
        <translation>Auswahl festlegen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Missing Values</source>
        <translation>Fehlende Werte</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save to Text file</source>
        <translation>In Textdatei speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save to Excel file</source>
        <translation>In Excel-Datei speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>References</source>
        <translation>Literatur</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open other files</source>
        <translation>Andere Dateien öffnen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ranked</source>
        <translation>Ränge</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>counts</source>
        <translation>Häufigkeiten</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>KRUSKAL-WALLIS TEST HELP</source>
        <translation>HILFE ZUM KRUSKAL-WALLIS-TEST</translation>
    </message>
</context>
<context>
    <name>kw::app::ImportChoices</name>
    <message>
        <location filename="../src/app/dialogs/importparts.cpp" line="+72"/>
        <source>Cells holding one of these texts count as missing, as empty cells do; separate them by commas or blanks, e.g. NA .</source>
        <translation>Zellen mit einem dieser Texte gelten wie leere Zellen als fehlend; trennen Sie sie durch Kommas oder Leerzeichen, z. B. NA .</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The text that missing cells receive; it becomes the missing-value code of the data</source>
        <translation>Der Text, den fehlende Zellen erhalten; er wird zum Code für fehlende Werte der Daten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>One column per &amp;group (wide layout)</source>
        <translation>Eine Spalte je &amp;Gruppe (breites Format)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Each column holds the values of one group: the data become two variables, group (the column&apos;s name) and value</source>
        <translation>Jede Spalte enthält die Werte einer Gruppe: Die Daten werden zu zwei Variablen, group (der Name der Spalte) und value</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>&amp;Missing-value codes:</source>
        <translation>Codes für &amp;fehlende Werte:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Empty and missing cells &amp;become:</source>
        <translation>Leere und fehlende Zellen &amp;werden zu:</translation>
    </message>
</context>
<context>
    <name>kw::app::ImportParts</name>
    <message>
        <location line="+170"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>kw::app::ImportPreview</name>
    <message>
        <location line="-65"/>
        <source>Nothing to preview: no row can be read with these choices.</source>
        <translation>Keine Vorschau: Mit diesen Einstellungen lässt sich keine Zeile lesen.</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>missing</source>
        <translation>fehlend</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The names and the first %1 cases as they will be read; missing cells show the text they receive.</source>
        <translation>Die Namen und die ersten %1 Fälle, wie sie gelesen werden; fehlende Zellen zeigen den Text, den sie erhalten.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> The first %1 of %2 columns are shown.</source>
        <translation> Die ersten %1 von %2 Spalten werden angezeigt.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Nothing to preview: </source>
        <translation>Keine Vorschau: </translation>
    </message>
</context>
<context>
    <name>kw::app::MainWindow</name>
    <message>
        <location filename="../src/app/mainwindow.cpp" line="+93"/>
        <source>pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <location line="+18"/>
        <location line="+13"/>
        <source>ranked</source>
        <translation>Ränge</translation>
    </message>
    <message>
        <location line="-8"/>
        <source>The cases sorted by the test variable, with ranks</source>
        <translation>Die Fälle nach der Testvariablen sortiert, mit ihren Rängen</translation>
    </message>
    <message>
        <location line="-9"/>
        <location line="+15"/>
        <source>input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <location line="-27"/>
        <source>The data, the groups, the ranks, the output, the counts, the details and the plots</source>
        <translation>Die Daten, die Gruppen, die Ränge, die Ausgabe, die Häufigkeiten, die Details und die Diagramme</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The data: one row per case, one column per variable</source>
        <translation>Die Daten: eine Zeile je Fall, eine Spalte je Variable</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>counts</source>
        <translation>Häufigkeiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>details</source>
        <translation>Details</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>plots</source>
        <translation>Diagramme</translation>
    </message>
    <message>
        <location line="+119"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open Rec&amp;ent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&amp;Clear</source>
        <translation>&amp;Liste leeren</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Read data from Excel file</source>
        <translation>Daten aus &amp;Excel-Datei lesen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Save results to Excel</source>
        <translation>Ergebnisse in Excel &amp;speichern</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Manual Input</source>
        <translation>Manuelle Eingabe</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save manual Input to text</source>
        <translation>Manuelle Eingabe als Text speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Read data from Text file</source>
        <translation>Daten aus Textdatei lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save results to Text</source>
        <translation>Ergebnisse als Text speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save tables as workbook...</source>
        <translation>Tabellen als Arbeitsmappe speichern...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save report as HTML...</source>
        <translation>Bericht als HTML speichern...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Print report...</source>
        <translation>Bericht drucken...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export report as PDF...</source>
        <translation>Bericht als PDF exportieren...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <location line="+4"/>
        <location line="+2"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Disclaimer</source>
        <translation>Haftungs&amp;ausschluss</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <location line="+394"/>
        <source>the file %1 is no longer there; it is taken off the recent files</source>
        <translation>die Datei %1 ist nicht mehr vorhanden; sie wird aus der Liste der zuletzt geöffneten Dateien entfernt</translation>
    </message>
    <message>
        <location line="+184"/>
        <source>the clipboard holds no text to paste</source>
        <translation>die Zwischenablage enthält keinen Text zum Einfügen</translation>
    </message>
    <message>
        <location line="+269"/>
        <source>There are no results to report yet: press calculate first.</source>
        <translation>Es gibt noch keine Ergebnisse für einen Bericht: Drücken Sie zuerst auf „calculate“.</translation>
    </message>
</context>
<context>
    <name>kw::app::ManualInputDialog</name>
    <message>
        <location filename="../src/app/dialogs/manualinputdialog.cpp" line="+15"/>
        <source>manual input of data</source>
        <translation>Manuelle Dateneingabe</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>number of variables: </source>
        <translation>Anzahl der Variablen: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>total number of cases: </source>
        <translation>Gesamtzahl der Fälle: </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>kw::app::ManualWindow</name>
    <message>
        <location filename="../src/app/dialogs/manualwindow.cpp" line="+50"/>
        <source>manual</source>
        <translation>Handbuch</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>kw::app::MessageBox</name>
    <message>
        <location filename="../src/app/dialogs/messagebox.cpp" line="+87"/>
        <source>Kruskal-Wallis</source>
        <translation>Kruskal-Wallis</translation>
    </message>
</context>
<context>
    <name>kw::app::MessageView</name>
    <message>
        <location filename="../src/app/dialogs/messageview.cpp" line="+39"/>
        <source>message</source>
        <translation>Meldung</translation>
    </message>
</context>
<context>
    <name>kw::app::NewVersionDialog</name>
    <message>
        <location filename="../src/app/dialogs/newversiondialog.cpp" line="+17"/>
        <source>Updated version was detected</source>
        <translation>Eine neue Version wurde erkannt</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Kruskal-Wallis test</source>
        <translation>Kruskal-Wallis-Test</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Previous version: </source>
        <translation>Vorherige Version: </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Current version: </source>
        <translation>Aktuelle Version: </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A new version of the Kruskal-Wallis test program was installed on your computer since the last time you used the program.

To see what has changed in this version, please visit the Kruskal-Wallis test page on our website.</source>
        <translation>Seit Sie das Programm zuletzt benutzt haben, wurde eine neue Version des Kruskal-Wallis-Testprogramms auf Ihrem Computer installiert.

Was sich in dieser Version geändert hat, erfahren Sie auf der Seite zum Kruskal-Wallis-Test auf unserer Website.</translation>
    </message>
</context>
<context>
    <name>kw::app::OutputPage</name>
    <message>
        <location filename="../src/app/pages/outputpage.cpp" line="+40"/>
        <source>group variable:</source>
        <translation>Gruppierungsvariable:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>test variable:</source>
        <translation>Testvariable:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>test statistic:</source>
        <translation>Teststatistik:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>df:</source>
        <translation>df:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>p:</source>
        <translation>p:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The grouping variable of the test</source>
        <translation>Die Gruppierungsvariable des Tests</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The test variable of the test</source>
        <translation>Die Testvariable des Tests</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The Kruskal-Wallis statistic, corrected for ties</source>
        <translation>Die Kruskal-Wallis-Statistik H, korrigiert für Bindungen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The degrees of freedom</source>
        <translation>Die Freiheitsgrade</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The p-value of the over-all test</source>
        <translation>Der p-Wert des Globaltests</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>over-all test:</source>
        <translation>Globaltest:</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>multiple comparison sorted by:</source>
        <translation>Mehrfachvergleich sortiert nach:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>grouping variable</source>
        <translation>Gruppierungsvariable</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Sort the multiple comparison by grouping variable</source>
        <translation>Den Mehrfachvergleich nach der Gruppierungsvariablen sortieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>group median</source>
        <translation>Gruppenmedian</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Sort the multiple comparison by group median</source>
        <translation>Den Mehrfachvergleich nach dem Gruppenmedian sortieren</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>multiple comparison of groups:</source>
        <translation>Mehrfachvergleich der Gruppen:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>multiple comparison of groups</source>
        <translation>Mehrfachvergleich der Gruppen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Each pair of groups: * where they differ at alpha, NS where they do not</source>
        <translation>Jedes Paar von Gruppen: * wo sie sich auf dem Signifikanzniveau Alpha unterscheiden, NS wo nicht</translation>
    </message>
</context>
<context>
    <name>kw::app::PairsModel</name>
    <message>
        <location filename="../src/app/pages/pairsmodel.cpp" line="+96"/>
        <source>group 1</source>
        <translation>Gruppe 1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The first group of the pair (with a control: the control)</source>
        <translation>Die erste Gruppe des Paares (mit einer Kontrollgruppe: die Kontrollgruppe)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>group 2</source>
        <translation>Gruppe 2</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The second group of the pair</source>
        <translation>Die zweite Gruppe des Paares</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>z</source>
        <translation>z</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Dunn&apos;s z: positive when group 1 ranks higher</source>
        <translation>Dunns z: positiv, wenn Gruppe 1 höhere Ränge hat</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>t</source>
        <translation>t</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Conover-Iman&apos;s t: positive when group 1 ranks higher</source>
        <translation>t nach Conover-Iman: positiv, wenn Gruppe 1 höhere Ränge hat</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>W*</source>
        <translation>W*</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The Dwass-Steel-Critchlow-Fligner statistic: the pair ranked on its own, positive when group 1 ranks higher</source>
        <translation>Die Dwass-Steel-Critchlow-Fligner-Statistik: das Paar für sich allein gerankt, positiv, wenn Gruppe 1 höhere Ränge hat</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>df</source>
        <translation>df</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The degrees of freedom of t, N - k</source>
        <translation>Die Freiheitsgrade von t, N - k</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>p</source>
        <translation>p</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The two-sided p of the pair on its own</source>
        <translation>Das zweiseitige p des Paares für sich allein</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>adjusted p</source>
        <translation>adjustiertes p</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The p from the studentized range: adjusted for the family already</source>
        <translation>Das p aus der studentisierten Spannweite: bereits für die Familie adjustiert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The p adjusted for the number of pairs compared</source>
        <translation>Das für die Anzahl der verglichenen Paare adjustierte p</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>mean rank difference</source>
        <translation>Differenz der mittleren Ränge</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The mean rank of group 1 minus that of group 2, in the whole ranking</source>
        <translation>Der mittlere Rang von Gruppe 1 minus dem von Gruppe 2, in der gesamten Rangfolge</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>r</source>
        <translation>r</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The effect size of the pair, z / sqrt(N)</source>
        <translation>Die Effektstärke des Paares, z / sqrt(N)</translation>
    </message>
</context>
<context>
    <name>kw::app::PlotsPage</name>
    <message numerus="yes">
        <location filename="../src/app/pages/plotspage.cpp" line="+88"/>
        <source>Box plot of %1 by %2: %n groups</source>
        <translation>
            <numerusform>Boxplot von %1 nach %2: %n Gruppe</numerusform>
            <numerusform>Boxplot von %1 nach %2: %n Gruppen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>Mean ranks of %1 by %2: %n groups</source>
        <translation>
            <numerusform>Mittlere Ränge von %1 nach %2: %n Gruppe</numerusform>
            <numerusform>Mittlere Ränge von %1 nach %2: %n Gruppen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>Adjusted p-values of the pairs of groups, %1 by %2: %n groups</source>
        <translation>
            <numerusform>Adjustierte p-Werte der Gruppenpaare, %1 nach %2: %n Gruppe</numerusform>
            <numerusform>Adjustierte p-Werte der Gruppenpaare, %1 nach %2: %n Gruppen</numerusform>
        </translation>
    </message>
    <message>
        <location line="+5"/>
        <source>, %1 cases</source>
        <translation>, %1 Fälle</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>box plot</source>
        <translation>Boxplot</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>mean ranks</source>
        <translation>mittlere Ränge</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>pairwise p-values</source>
        <translation>paarweise p-Werte</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The plot to show: the groups as box plots with their cases, the mean ranks with their intervals, or the adjusted p-values of the pairs of groups</source>
        <translation>Das anzuzeigende Diagramm: die Gruppen als Boxplots mit ihren Fällen, die mittleren Ränge mit ihren Intervallen oder die adjustierten p-Werte der Gruppenpaare</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+58"/>
        <source>plot</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <location line="-57"/>
        <source>plot:</source>
        <translation>Diagramm:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>800 × 500</source>
        <translation>800 × 500</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>600 × 400</source>
        <translation>600 × 400</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1000 × 625</source>
        <translation>1000 × 625</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1200 × 750</source>
        <translation>1200 × 750</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>as shown</source>
        <translation>wie angezeigt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The size of the picture saved or copied, in pixels at 96 dpi (its texts keep their size)</source>
        <translation>Die Größe des gespeicherten oder kopierten Bildes in Pixeln bei 96 dpi (die Texte behalten ihre Größe)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>picture size</source>
        <translation>Bildgröße</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>picture size:</source>
        <translation>Bildgröße:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The resolution of a picture saved as PNG</source>
        <translation>Die Auflösung eines als PNG gespeicherten Bildes</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PNG resolution (dpi)</source>
        <translation>PNG-Auflösung (dpi)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PNG resolution (dpi):</source>
        <translation>PNG-Auflösung (dpi):</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Save picture...</source>
        <translation>Bild speichern...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Saves the plot as a PNG, SVG or PDF file</source>
        <translation>Speichert das Diagramm als PNG-, SVG- oder PDF-Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy picture</source>
        <translation>Bild kopieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Copies the plot to the clipboard, as an image and as SVG</source>
        <translation>Kopiert das Diagramm in die Zwischenablage, als Bild und als SVG</translation>
    </message>
    <message>
        <location line="+43"/>
        <location line="+34"/>
        <source>Calculate to see the plots.</source>
        <translation>Berechnen Sie, um die Diagramme zu sehen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Drawing the plots...</source>
        <translation>Die Diagramme werden gezeichnet...</translation>
    </message>
    <message>
        <location line="+42"/>
        <location line="+27"/>
        <source>The plots could not be drawn: %1</source>
        <translation>Die Diagramme konnten nicht gezeichnet werden: %1</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Save picture</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>PNG image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>SVG picture (*.svg)</source>
        <translation>SVG-Grafik (*.svg)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PDF document (*.pdf)</source>
        <translation>PDF-Dokument (*.pdf)</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>There is no plot to save: calculate first.</source>
        <translation>Es gibt kein Diagramm zum Speichern: Berechnen Sie zuerst.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>A picture is saved as .png, .svg or .pdf: %1</source>
        <translation>Ein Bild wird als .png, .svg oder .pdf gespeichert: %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The picture could not be drawn.</source>
        <translation>Das Bild konnte nicht gezeichnet werden.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The picture could not be saved as %1:
%2</source>
        <translation>Das Bild konnte nicht als %1 gespeichert werden:
%2</translation>
    </message>
</context>
<context>
    <name>kw::app::ReadSheetDialog</name>
    <message>
        <location filename="../src/app/dialogs/readsheetdialog.cpp" line="+29"/>
        <source>Read values from Excel</source>
        <translation>Werte aus Excel lesen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Sheet:</source>
        <translation>Tabelle:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>column (A):</source>
        <translation>Spalte (A):</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>row #:</source>
        <translation>Zeile Nr.:</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+4"/>
        <source>through:</source>
        <translation>bis:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>missing values </source>
        <translation>fehlende Werte </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>replace with:</source>
        <translation>ersetzen durch:</translation>
    </message>
</context>
<context>
    <name>kw::app::ResultGridView</name>
    <message>
        <location filename="../src/app/pages/resultgridview.cpp" line="+37"/>
        <source>Group summary</source>
        <translation>Gruppenübersicht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>One column per group: its number of cases, rank sum and median</source>
        <translation>Eine Spalte je Gruppe: ihre Anzahl von Fällen, Rangsumme und Median</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>One column per group: the test variable&apos;s values of its cases</source>
        <translation>Eine Spalte je Gruppe: die Werte der Testvariablen ihrer Fälle</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Ranks</source>
        <translation>Ränge</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>One column per group: the rank of each of its cases in the whole ranking</source>
        <translation>Eine Spalte je Gruppe: der Rang jedes ihrer Fälle in der gesamten Rangfolge</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Multiple comparison of groups</source>
        <translation>Mehrfachvergleich der Gruppen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The groups with their medians across and down; a cell holds * where the two groups differ, NS where they do not</source>
        <translation>Die Gruppen mit ihren Medianen waagerecht und senkrecht; eine Zelle enthält *, wo sich die beiden Gruppen unterscheiden, NS, wo nicht</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Counts</source>
        <translation>Häufigkeiten</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>One row per value of the test variable, one column per group: how many cases hold the value</source>
        <translation>Eine Zeile je Wert der Testvariablen, eine Spalte je Gruppe: wie viele Fälle den Wert haben</translation>
    </message>
</context>
<context>
    <name>kw::app::SaveSheetDialog</name>
    <message>
        <location filename="../src/app/dialogs/savesheetdialog.cpp" line="+20"/>
        <source>Save corrected values to Excel</source>
        <translation>Korrigierte Werte in Excel speichern</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>sheet:</source>
        <translation>Tabelle:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>new book</source>
        <translation>neues Dokument</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>new sheet</source>
        <translation>neue Tabelle</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>DATA IN THE SHEET WILL BE OVERWRITTEN</source>
        <translation>DATEN IN DER TABELLE WERDEN ÜBERSCHRIEBEN</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>column (A):</source>
        <translation>Spalte (A):</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>row #:</source>
        <translation>Zeile Nr.:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>kw::app::SelectionPanel</name>
    <message>
        <location filename="../src/app/selectionpanel.cpp" line="+107"/>
        <source>grouping variable</source>
        <translation>Gruppierungsvariable</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The variable whose values form the groups</source>
        <translation>Die Variable, deren Werte die Gruppen bilden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>test variable</source>
        <translation>Testvariable</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The variable whose values are compared</source>
        <translation>Die Variable, deren Werte verglichen werden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>alpha</source>
        <translation>Alpha</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The significance level of the multiple comparison</source>
        <translation>Das Signifikanzniveau des Mehrfachvergleichs</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>calculate</source>
        <translation>berechnen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Runs the test with these choices</source>
        <translation>Führt den Test mit dieser Auswahl aus</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>treat grouping variable as:</source>
        <translation>Gruppierungsvariable behandeln als:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>texts</source>
        <translation>Texte</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Treat grouping variable as texts</source>
        <translation>Die Gruppierungsvariable als Texte behandeln</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>numbers</source>
        <translation>Zahlen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Treat grouping variable as numbers</source>
        <translation>Die Gruppierungsvariable als Zahlen behandeln</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>missing values</source>
        <translation>Fehlende Werte</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The code that marks a missing value</source>
        <translation>Der Code, der einen fehlenden Wert kennzeichnet</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>condition variable</source>
        <translation>Bedingungsvariable</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The variable a condition on the included cases tests</source>
        <translation>Die Variable, die eine Bedingung für die eingeschlossenen Fälle prüft</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>condition operator</source>
        <translation>Bedingungsoperator</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Equal to or not equal to the value</source>
        <translation>Gleich oder ungleich dem Wert</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>condition value</source>
        <translation>Bedingungswert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The value of the condition variable</source>
        <translation>Der Wert der Bedingungsvariablen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>add</source>
        <translation>hinzufügen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Adds the condition to the list</source>
        <translation>Fügt die Bedingung der Liste hinzu</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>remove</source>
        <translation>entfernen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Removes the condition highlighted in the list</source>
        <translation>Entfernt die in der Liste markierte Bedingung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>clear</source>
        <translation>leeren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Removes all conditions</source>
        <translation>Entfernt alle Bedingungen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>include cases if</source>
        <translation>Fälle einschließen, wenn</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The conditions a case must meet to be included</source>
        <translation>Die Bedingungen, die ein Fall erfüllen muss, um eingeschlossen zu werden</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>grouping variable:</source>
        <translation>Gruppierungsvariable:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>test variable:</source>
        <translation>Testvariable:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>alpha:</source>
        <translation>Alpha:</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>missing values: </source>
        <translation>Fehlende Werte: </translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+29"/>
        <source>include cases if:</source>
        <translation>Fälle einschließen, wenn:</translation>
    </message>
    <message>
        <location line="-27"/>
        <source>variable:</source>
        <translation>Variable:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>operator:</source>
        <translation>Operator:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>value:</source>
        <translation>Wert:</translation>
    </message>
</context>
<context>
    <name>kw::app::StatisticsImportDialog</name>
    <message>
        <location filename="../src/app/dialogs/statisticsimportdialog.cpp" line="+17"/>
        <source>Import SPSS or Stata file</source>
        <translation>SPSS- oder Stata-Datei importieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Values that the file declares missing, and empty values, become the missing-value code.</source>
        <translation>Werte, die die Datei als fehlend kennzeichnet, und leere Werte erhalten den Code für fehlende Werte.</translation>
    </message>
</context>
<context>
    <name>kw::app::TextImportDialog</name>
    <message>
        <location filename="../src/app/dialogs/textimportdialog.cpp" line="+31"/>
        <source>Tab</source>
        <translation>Tabulator</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Semicolon</source>
        <translation>Semikolon</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Comma</source>
        <translation>Komma</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Vertical bar</source>
        <translation>Senkrechter Strich</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Paste data</source>
        <translation>Daten einfügen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Import delimited text</source>
        <translation>Text mit Trennzeichen importieren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Text from the clipboard</source>
        <translation>Text aus der Zwischenablage</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Other:</source>
        <translation>Anderes:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Other separator</source>
        <translation>Anderes Trennzeichen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The character between the fields; none: each line is one field</source>
        <translation>Das Zeichen zwischen den Feldern; keines: jede Zeile ist ein Feld</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Point (1.5)</source>
        <translation>Punkt (1.5)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Comma (1,5)</source>
        <translation>Komma (1,5)</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>&amp;Separator:</source>
        <translation>&amp;Trennzeichen:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Decimal mark:</source>
        <translation>&amp;Dezimalzeichen:</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>&amp;Encoding:</source>
        <translation>&amp;Kodierung:</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>choose or type the encoding</source>
        <translation>Kodierung wählen oder eingeben</translation>
    </message>
</context>
<context>
    <name>kw::app::WarningDialog</name>
    <message>
        <location filename="../src/app/dialogs/warningdialog.cpp" line="+21"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>kw::app::WorkRunner</name>
    <message>
        <location filename="../src/app/work/workrunner.cpp" line="+34"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>kw::app::WorkbookImportDialog</name>
    <message>
        <location filename="../src/app/dialogs/workbookimportdialog.cpp" line="+26"/>
        <source>Import workbook</source>
        <translation>Arbeitsmappe importieren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>the whole used range</source>
        <translation>der ganze benutzte Bereich</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The cells to read, such as A1:C40; the first row holds the names. Empty: all the cells the sheet uses.</source>
        <translation>Die zu lesenden Zellen, etwa A1:C40; die erste Zeile enthält die Namen. Leer: alle Zellen, die die Tabelle benutzt.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Sheet:</source>
        <translation>&amp;Tabelle:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>B&amp;lock:</source>
        <translation>&amp;Bereich:</translation>
    </message>
</context>
<context>
    <name>kw::app::site</name>
    <message>
        <location filename="../src/app/site.cpp" line="+20"/>
        <source>The web browser could not be opened to show the page
%1</source>
        <translation>Der Webbrowser konnte nicht geöffnet werden, um die Seite anzuzeigen
%1</translation>
    </message>
</context>
<context>
    <name>kw::core</name>
    <message>
        <location filename="../src/app/work/workfeedback.cpp" line="+16"/>
        <source>reading</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>reading the file</source>
        <translation>Datei lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>checking the workbook</source>
        <translation>Arbeitsmappe prüfen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>preparing the workbook</source>
        <translation>Arbeitsmappe vorbereiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>reading the workbook</source>
        <translation>Arbeitsmappe lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>reading the sheet</source>
        <translation>Tabellenblatt lesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>collecting groups</source>
        <translation>Gruppen bilden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>bootstrap</source>
        <translation>Bootstrap</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>exact p-value</source>
        <translation>Exakter p-Wert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Monte Carlo p-value</source>
        <translation>Monte-Carlo-p-Wert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>comparing pairs</source>
        <translation>Paarvergleiche</translation>
    </message>
    <message>
        <location filename="../src/app/translation.cpp" line="+23"/>
        <source>multiple comparison of groups:</source>
        <translation>Mehrfachvergleich der Gruppen:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>no multiple comparison of groups:</source>
        <translation>kein Mehrfachvergleich der Gruppen:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Kruskal Wallis Nonparametric ANOVA:</source>
        <translation>Nichtparametrische Kruskal-Wallis-Varianzanalyse:</translation>
    </message>
</context>
</TS>
