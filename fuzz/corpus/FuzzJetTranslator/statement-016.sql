SELECT a -- the a
 FROM /* table */ t