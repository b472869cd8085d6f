# The tree, lowest first.  Each row names a folder and the folders its
# sources may include from, besides its own; a row may only name folders
# listed above it, so includes run down the tree and never sideways.  A
# folder ending in "/..." covers its subfolders too; "*" allows any folder.
#
# Every folder with sources needs a row, and every row a folder with
# sources: CheckLayers.cmake fails on either.
#
# model/ has rooms of its own, lowest first: texts (the language texts and
# their keys), values (the catalogue, the tables and what a value means),
# files (the file formats and where the program's files are), journal (what
# was written to units), engines (the
# work on units and the logic a window and the console tool share).  A folder
# above uses them all, named through ${model}.
set(model "model/engines,model/journal,model/files,model/values,model/texts")
set(LAYERS
  "inifile:"
  "link:"
  "link/setup:link"
  "sim:link,inifile"
  "model/texts:inifile,link"
  "model/values:model/texts,inifile,link"
  "model/files:model/values,model/texts,inifile,link"
  "model/journal:model/files,model/values,model/texts,inifile,link"
  "model/engines:model/journal,model/files,model/values,model/texts,inifile,link"
  "ui:${model},inifile,link"
  "print:ui,${model},inifile,link"
  "shell:ui,${model},inifile,link,link/setup"
  "params:print,ui,${model},inifile,link"
  "setpoints:print,ui,${model},inifile,link"
  "tools:ui,${model},inifile,link"
  "dialogs:ui,${model},inifile,link"
  "app:link/setup,shell,params,setpoints,tools,dialogs,print,ui,${model},inifile,link,sim"
  "ctl:${model},inifile,link,sim"
  "tests/...:*"
  "bench:*"
  "fuzz:*")

# Folders that build without widgets or painting: they do not link Qt Gui,
# and may not reach it or a module on it through a folder-qualified header
# (<QtGui/QColor>), which the Core include path would otherwise find.
set(WIDGET_FREE inifile link sim model/texts model/values model/files model/journal model/engines ctl)
