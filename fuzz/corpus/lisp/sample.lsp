(setq a 5 b (* a 2.5) s "text \"quoted\"\n")
(entmake '((0 . "LINE") (8 . "0") (10 0.0 0.0 0.0) (11 1.0 1.0 0.0)))
(ssget "_X" '((0 . "TEXT") (-3 ("TV_TEXT"))))
(list 1 -2 3.5e2 'sym nil T (cons 1 2) '(1 . 2))
; comment
(if (> a 3) (princ "big") (princ "small"))
