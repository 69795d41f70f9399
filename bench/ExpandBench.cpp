// benchmark of ExpandWarEntry
